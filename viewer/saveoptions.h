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

    // The options used last, kept in the viewer's settings across starts (GUI thread only).
    // Without any: the user's documents folder, no extension and "Once".
    static Values recall();
    static void remember(const Values& values);

private:
    mutable std::mutex m_mutex;
    Values m_values;
};

// Makes the folder ready to take saved files: creates it (with its parents) when missing and
// writes a probe file into it, so a folder the user cannot write into is found also where the
// permission bits do not tell (root, read-only mounts). False, with the reason for the user,
// when the path is empty, cannot be created or is not writable.
bool prepareSaveFolder(const QString& path, QString* reason);

#endif // SAVEOPTIONS_H
