#ifndef VIEWERRESOURCES_H
#define VIEWERRESOURCES_H

// Registers the viewer's compiled-in icons; the resources live in the static library, so the
// program and every test call this once before building any widget.
void initViewerResources();

#endif // VIEWERRESOURCES_H
