// Linked into every viewer test: the process keeps the viewer's settings (the remembered save
// options) in a directory of its own, empty at start and removed at exit, so a test never reads
// or changes the user's configuration, nor sees what another run left behind.
#include <QTemporaryDir>

namespace {
struct TemporarySettings
{
    QTemporaryDir dir;
    TemporarySettings() { qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit()); }
};
const TemporarySettings g_settings;
} // namespace
