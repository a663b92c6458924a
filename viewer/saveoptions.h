#ifndef SAVEOPTIONS_H
#define SAVEOPTIONS_H

#include <QString>
#include <mutex>

// The save path, extension and count, written on the GUI thread and read by the display
// thread for every saved frame.
class SaveOptions
{
public:
    struct Values
    {
        QString path;
        QString extension;
        int count = 1;
    };

    void set(const Values& values);
    Values get() const;

private:
    mutable std::mutex m_mutex;
    Values m_values;
};

#endif // SAVEOPTIONS_H
