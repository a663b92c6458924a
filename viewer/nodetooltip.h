#ifndef NODETOOLTIP_H
#define NODETOOLTIP_H

#include <QString>

// The tool tip of a feature-tree item, as the camera describes the node: its type and access,
// the range and increment of a number, the unit where it has one, and its description. Empty
// when the camera does not describe the node.
QString nodeToolTip(void* hCamera, const QString& name);

#endif // NODETOOLTIP_H
