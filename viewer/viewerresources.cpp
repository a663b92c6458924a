#include "viewerresources.h"

#include <QtGlobal>

void initViewerResources()
{
    Q_INIT_RESOURCE(resources);
}
