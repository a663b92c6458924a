#include "saveoptions.h"

void SaveOptions::set(const Values& values)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_values = values;
}

SaveOptions::Values SaveOptions::get() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_values;
}
