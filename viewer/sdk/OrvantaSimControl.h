/*
 * OrvantaSimControl.h - test control of the simulated cameras of libOrvantaAPI.
 *
 * The simulated cameras are chosen with the environment variable ORVANTA_SIM_CAMERAS, read by
 * OrvantaInit: a comma-separated list of KIND or KIND:COUNT, for example "color:1,mono:2".
 * Unset, it means "color:1,mono:1"; empty, no simulated camera. Kinds:
 *   color    Bayer GR colour camera, 2448 x 2048, BayerGR8 / BayerGR12 / RGB8 / YUV422_8
 *   mono     monochrome camera, 1280 x 1024, Mono8 / Mono10 / Mono12 / Mono12p
 *   thermal  mono camera that also has the string node "NUCMode"
 *   noopen   listed, but refuses to open (ORVANTA_ERR_OPEN_FAILED)
 *   nowb     colour camera without white balance, hue and saturation (reads fail)
 *   gamma4   colour camera whose gamma range is 1.0 to 4.0
 *   formats  colour camera, 64 x 48, offering every pixel format the SDK decodes (mono formats
 *            show the scene in grey) and Mono4p, which it does not decode
 *
 * These calls let tests change the set at run time. They need OrvantaInit. IDs are 64-byte
 * buffers as for OrvantaGetCameraID.
 */
#ifndef ORVANTA_SIM_CONTROL_H
#define ORVANTA_SIM_CONTROL_H

#include "OrvantaAPI.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Adds a simulated camera of a kind; its ID is written to id (may be null). */
ORVANTA_API int OrvantaSimPlugCamera(const char* kind, char* id);
/* Removes a simulated camera as if its cable was pulled: it leaves the enumeration, a running
 * acquisition stops delivering, and calls on its open handle fail with ORVANTA_ERR_DEVICE. */
ORVANTA_API int OrvantaSimUnplugCamera(const char* id);
/* delivering = 0 makes the camera silent (acquisition and grabs deliver nothing); 1 resumes. */
ORVANTA_API int OrvantaSimSetDelivering(const char* id, int delivering);
/* Frames the camera delivered to acquisition callbacks since it was plugged. */
ORVANTA_API int OrvantaSimGetDeliveredFrames(const char* id, uint64_t* count);
/* Faults of a simulated camera's transfer, applied to its acquisition frames from now on by
 * frame number (every Nth frame; 0 means never). A dropped frame finds no free buffer in the
 * SDK, as when consumers pin every ring buffer; a corrupt frame arrives incomplete; a delayed
 * frame reaches the callback delayMs late. All zero: no faults (the state when plugged). */
typedef struct OSimStreamFaults {
    uint32_t dropEvery;
    uint32_t corruptEvery;
    uint32_t delayEvery;
    uint32_t delayMs;
} OSimStreamFaults;
ORVANTA_API int OrvantaSimSetStreamFaults(const char* id, const OSimStreamFaults* faults);
/* Removes every node of the camera's feature tree (its "Root" then lists nothing). Feature
 * calls keep working; only the node tree is replaced. */
ORVANTA_API int OrvantaSimClearNodes(const char* id);
/* Adds a node under parent ("Root" for the top level) with a type code ORVANTA_NODE_*; names
 * are kept in the order added. An integer node reads 0 with the range 0..100. */
ORVANTA_API int OrvantaSimAddNode(const char* id, const char* parent, const char* name, int type);

#ifdef __cplusplus
}
#endif

#endif /* ORVANTA_SIM_CONTROL_H */
