#include "saveoptions.h"

namespace {

// The strings come from widgets, whose own copies are released inside Qt's libraries. Keeping
// private copies means no string buffer is ever shared between the GUI and display threads,
// so a reader never depends on reference counting done in code that sanitizers cannot see.
QString ownCopy(const QString& text)
{
    return QString(text.constData(), text.size());
}

SaveOptions::Values ownCopy(const SaveOptions::Values& values)
{
    return {ownCopy(values.path), ownCopy(values.extension), values.count};
}

} // namespace

void SaveOptions::set(const Values& values)
{
    Values copy = ownCopy(values);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_values = std::move(copy);
}

SaveOptions::Values SaveOptions::get() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return ownCopy(m_values);
}
