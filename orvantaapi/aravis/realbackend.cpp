#include "realbackend.h"

#ifdef ORVANTA_HAVE_ARAVIS
#include "aravisbackend.h"
#endif

#include <dlfcn.h>

#include <climits>
#include <cstdlib>
#include <string>

namespace orvanta {

std::shared_ptr<Backend> makeRealBackend()
{
#ifdef ORVANTA_HAVE_ARAVIS
    return std::make_shared<AravisBackend>();
#else
    return nullptr;
#endif
}

const char* defaultBackends()
{
#ifdef ORVANTA_BUILD_TREE
    // Where this code was loaded from; when that cannot be told, the safe choice.
    Dl_info where{};
    char file[PATH_MAX], tree[PATH_MAX];
    if (!dladdr(reinterpret_cast<void*>(&defaultBackends), &where) || !where.dli_fname ||
        !realpath(where.dli_fname, file))
        return "simulated";
    if (realpath(ORVANTA_BUILD_TREE, tree) &&
        std::string(file).rfind(std::string(tree) + "/", 0) == 0)
        return "simulated";
#endif
    return "both";
}

} // namespace orvanta
