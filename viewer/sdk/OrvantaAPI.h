/*
 * OrvantaAPI.h - C interface of the Orvanta camera SDK (libOrvantaAPI).
 *
 * Conventions
 * - Every function returns an int status: ORVANTA_OK (0) on success, one of the negative
 *   ORVANTA_ERR_* codes below otherwise. OrvantaStatusText() names a code.
 * - Every function may be called from any thread at the same time. No call ever crashes on a
 *   null, unknown or closed handle, or on a null pointer argument: it returns a status.
 * - Camera handles are opaque. A handle stays invalid after OrvantaCloseCamera (it is never
 *   handed out again), so a late call with it returns ORVANTA_ERR_INVALID_HANDLE.
 * - Text out-parameters are caller buffers, NUL-terminated on success:
 *   ORVANTA_TEXT_SIZE (64) bytes for camera IDs, display names, pixel formats and the other
 *   feature-list texts; ORVANTA_NODE_TEXT_SIZE (256) bytes for node values and names.
 *   The SDK writes at most size - 1 characters and the NUL.
 * - OrvantaInit must be called before anything else; OrvantaUninit stops and closes every
 *   camera still open. Init may be called again after Uninit.
 *
 * Frame lifetime (acquisition)
 * - Each acquisition delivers into a ring of ORVANTA_FRAME_RING_DEPTH (3) frame buffers. The
 *   OImageFrame handed to the acquisition callback lives in one of them; its buffers stay intact
 *   after the callback returns until at least ORVANTA_FRAME_RING_DEPTH - 1 - P further frames
 *   have been delivered, P being the number of other frames pinned meanwhile, and the record
 *   stays readable until OrvantaStopAcquisition returns.
 * - A consumer that copies a frame on another thread after the callback returned pins it
 *   first: OrvantaLockFrame(frame, id) with the frameID read inside the callback returns
 *   ORVANTA_OK when the buffers still hold that frame (they are then not reused until
 *   OrvantaUnlockFrame), or ORVANTA_ERR_FRAME_REUSED when they were reused meanwhile (the
 *   frame is to be dropped). A pinned buffer is skipped when the camera picks the next one;
 *   when every buffer is pinned the camera drops its frame. So a copy made between Lock and
 *   Unlock is never torn.
 * - Three buffers are the fewest that serve a consumer which pins one frame at a time (a
 *   display thread): one holds the frame it copies, one the newest delivered frame, one takes
 *   the frame being written. So the newest frame stays intact until the next one has been
 *   delivered, however long the copy takes, and no frame is dropped for want of a buffer.
 *
 * Pixel data
 * - rawData holds the frame as the camera sent it: dataSize bytes in the layout of its
 *   pixelFormat (see the ORVANTA_PIXEL_* codes). bitsPerPixel is the number of bits one pixel
 *   occupies there: 8, 10 or 12 for 8-bit and packed formats, 16 for 16-bit containers and
 *   YUV 4:2:2, 24 for RGB8/BGR8, 32 for RGBa8/BGRa8.
 * - mono8Data is the 8-bit plane of every frame, width x height bytes: the 8 most significant
 *   bits of every sample for mono and Bayer formats (the same memory as rawData for 8-bit
 *   ones), the luma for colour formats (ITU-R BT.601 weights of RGB, the Y samples of YUV).
 * - rgbData holds width x height x 3 bytes of RGB888, rows packed. It is filled for the colour
 *   formats RGB8, BGR8, RGBa8, BGRa8 and YUV always (for RGB8 it is the memory of rawData), for
 *   Bayer formats when Bayer conversion is on (demosaiced), and for mono formats when Bayer
 *   conversion is on (grey). Otherwise it is null.
 * - The SDK decodes the formats of the ORVANTA_PIXEL_* list. OrvantaStartAcquisition and the
 *   grabs return ORVANTA_ERR_NOT_SUPPORTED while the camera's pixel format is another one;
 *   frames of another format that arrive anyway are dropped.
 *
 * Single grabs (OrvantaGrabRGBData, OrvantaGrabRAWData)
 * - The caller owns the OImageFrame and its buffers: rawData at least maxWidth x maxHeight x 2
 *   bytes (sensor size of OrvantaGetSizeInfo; x 3 for RGB8 and BGR8, x 4 for RGBa8 and BGRa8),
 *   rgbData at least maxWidth x maxHeight x 3 bytes, mono8Data null or at least
 *   maxWidth x maxHeight bytes. A null buffer is left out: the RAW grab needs rawData, the RGB
 *   grab rgbData. On ORVANTA_OK one frame of the current ROI was copied and dataSize, width,
 *   height, bitsPerPixel, pixelFormat and frameID are set. Grabs work with or without a running
 *   stream. With TriggerMode "On" a grab returns the frame of the next trigger, and
 *   ORVANTA_ERR_TIMEOUT when none comes within the timeout (software triggers fire only while a
 *   stream runs).
 */
#ifndef ORVANTA_API_H
#define ORVANTA_API_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define ORVANTA_API __attribute__((visibility("default")))
#else
#define ORVANTA_API
#endif

/* ---- Status codes ------------------------------------------------------------------------ */
enum {
    ORVANTA_OK = 0,
    ORVANTA_ERR_INVALID_HANDLE = -1,   /* null, unknown or closed camera handle */
    ORVANTA_ERR_NOT_INITIALIZED = -2,  /* OrvantaInit not called, or OrvantaUninit called */
    ORVANTA_ERR_NO_CAMERA = -3,        /* no camera with that index or ID */
    ORVANTA_ERR_NO_NODE = -4,          /* no node of that name */
    ORVANTA_ERR_WRONG_NODE_TYPE = -5,  /* the node exists but is of another type */
    ORVANTA_ERR_READ_ONLY = -6,        /* the feature or node cannot be written now */
    ORVANTA_ERR_OUT_OF_RANGE = -7,     /* value outside the feature's range or increment */
    ORVANTA_ERR_NOT_SUPPORTED = -8,    /* the camera has no such feature */
    ORVANTA_ERR_TIMEOUT = -9,          /* no frame within the timeout */
    ORVANTA_ERR_NOT_ACQUIRING = -10,   /* the call needs a running acquisition */
    ORVANTA_ERR_ACQUIRING = -11,       /* already acquiring, or not allowed while acquiring */
    ORVANTA_ERR_BAD_ARGUMENT = -12,    /* null pointer, empty text, bad index or size */
    ORVANTA_ERR_OPEN_FAILED = -13,     /* the camera refused to open */
    ORVANTA_ERR_BUSY = -14,            /* the camera is already open */
    ORVANTA_ERR_FRAME_REUSED = -15,    /* the frame's buffers were reused (OrvantaLockFrame) */
    ORVANTA_ERR_NO_REGISTER = -16,     /* no register at that address */
    ORVANTA_ERR_DEVICE = -17,          /* the device failed or vanished */
    ORVANTA_ERR_FILE = -18,            /* a file could not be read or written */
    ORVANTA_ERR_PARTIAL = -19          /* some features of a file were not applied */
};

enum {
    ORVANTA_TEXT_SIZE = 64,
    ORVANTA_NODE_TEXT_SIZE = 256,
    ORVANTA_NODE_LIST_CAPACITY = 128,
    ORVANTA_ENUM_CAPACITY = 64,
    ORVANTA_FRAME_RING_DEPTH = 3
};

/* Node type codes (NodeInfo.type). */
enum {
    ORVANTA_NODE_UNKNOWN = 0,
    ORVANTA_NODE_COMMAND = 1,
    ORVANTA_NODE_CATEGORY = 2,
    ORVANTA_NODE_STRING = 3,
    ORVANTA_NODE_ENUMERATION = 4,
    ORVANTA_NODE_INTEGER = 5,
    ORVANTA_NODE_FLOAT = 6,
    ORVANTA_NODE_BOOLEAN = 7,
    ORVANTA_NODE_REGISTER = 8
};

/* Node access codes (NodeInfo.access). */
enum {
    ORVANTA_ACCESS_NOT_IMPLEMENTED = 0,
    ORVANTA_ACCESS_NOT_AVAILABLE = 1,
    ORVANTA_ACCESS_WRITE_ONLY = 2,
    ORVANTA_ACCESS_READ_ONLY = 3,
    ORVANTA_ACCESS_READ_WRITE = 4
};

/* GenICam (GigE Vision / USB3 Vision) pixel-format codes of the formats the SDK decodes.
 * Layouts of rawData, samples in pixel order, rows back to back with no padding:
 * - MonoN, BayerXXN, N > 8: one sample in a 16-bit little-endian container, the value in the
 *   low N bits.
 * - ...p (Mono10p, BayerGR12p, ...): samples packed back to back into a bit stream, least
 *   significant bit first (Mono12p: byte 0 = bits 7..0 of pixel 0, byte 1 = bits 11..8 of pixel 0
 *   in its low nibble and bits 3..0 of pixel 1 in its high nibble, byte 2 = bits 11..4 of
 *   pixel 1).
 * - ...Packed (Mono12Packed, BayerGR10Packed, ...): two pixels in three bytes; bytes 0 and 2
 *   hold the 8 most significant bits of pixels 0 and 1, byte 1 their remaining low bits
 *   (12 bits: low nibble pixel 0, high nibble pixel 1; 10 bits: bits 1..0 pixel 0, bits 5..4
 *   pixel 1).
 * - RGB8 / BGR8: 3 bytes a pixel in that order; RGBa8 / BGRa8: 4 bytes, the fourth is alpha.
 * - YUV422_8: Y0 U Y1 V for each pair of pixels; YUV422_8_UYVY: U Y0 V Y1 (ITU-R BT.601,
 *   Y 16..235, U and V centred on 128). */
enum {
    ORVANTA_PIXEL_MONO8 = 0x01080001,
    ORVANTA_PIXEL_MONO10 = 0x01100003,
    ORVANTA_PIXEL_MONO10PACKED = 0x010C0004,
    ORVANTA_PIXEL_MONO12 = 0x01100005,
    ORVANTA_PIXEL_MONO12PACKED = 0x010C0006,
    ORVANTA_PIXEL_MONO14 = 0x01100025,
    ORVANTA_PIXEL_MONO16 = 0x01100007,
    ORVANTA_PIXEL_MONO10P = 0x010A0046,
    ORVANTA_PIXEL_MONO12P = 0x010C0047,
    ORVANTA_PIXEL_BAYERGR8 = 0x01080008,
    ORVANTA_PIXEL_BAYERRG8 = 0x01080009,
    ORVANTA_PIXEL_BAYERGB8 = 0x0108000A,
    ORVANTA_PIXEL_BAYERBG8 = 0x0108000B,
    ORVANTA_PIXEL_BAYERGR10 = 0x0110000C,
    ORVANTA_PIXEL_BAYERRG10 = 0x0110000D,
    ORVANTA_PIXEL_BAYERGB10 = 0x0110000E,
    ORVANTA_PIXEL_BAYERBG10 = 0x0110000F,
    ORVANTA_PIXEL_BAYERGR12 = 0x01100010,
    ORVANTA_PIXEL_BAYERRG12 = 0x01100011,
    ORVANTA_PIXEL_BAYERGB12 = 0x01100012,
    ORVANTA_PIXEL_BAYERBG12 = 0x01100013,
    ORVANTA_PIXEL_BAYERGR16 = 0x0110002E,
    ORVANTA_PIXEL_BAYERRG16 = 0x0110002F,
    ORVANTA_PIXEL_BAYERGB16 = 0x01100030,
    ORVANTA_PIXEL_BAYERBG16 = 0x01100031,
    ORVANTA_PIXEL_BAYERGR10PACKED = 0x010C0026,
    ORVANTA_PIXEL_BAYERRG10PACKED = 0x010C0027,
    ORVANTA_PIXEL_BAYERGB10PACKED = 0x010C0028,
    ORVANTA_PIXEL_BAYERBG10PACKED = 0x010C0029,
    ORVANTA_PIXEL_BAYERGR12PACKED = 0x010C002A,
    ORVANTA_PIXEL_BAYERRG12PACKED = 0x010C002B,
    ORVANTA_PIXEL_BAYERGB12PACKED = 0x010C002C,
    ORVANTA_PIXEL_BAYERBG12PACKED = 0x010C002D,
    ORVANTA_PIXEL_BAYERBG10P = 0x010A0052,
    ORVANTA_PIXEL_BAYERGB10P = 0x010A0054,
    ORVANTA_PIXEL_BAYERGR10P = 0x010A0056,
    ORVANTA_PIXEL_BAYERRG10P = 0x010A0058,
    ORVANTA_PIXEL_BAYERBG12P = 0x010C0053,
    ORVANTA_PIXEL_BAYERGB12P = 0x010C0055,
    ORVANTA_PIXEL_BAYERGR12P = 0x010C0057,
    ORVANTA_PIXEL_BAYERRG12P = 0x010C0059,
    ORVANTA_PIXEL_RGB8 = 0x02180014,
    ORVANTA_PIXEL_BGR8 = 0x02180015,
    ORVANTA_PIXEL_RGBA8 = 0x02200016,
    ORVANTA_PIXEL_BGRA8 = 0x02200017,
    ORVANTA_PIXEL_YUV422_8_UYVY = 0x0210001F,
    ORVANTA_PIXEL_YUV422_8 = 0x02100032
};

/* ---- Records ------------------------------------------------------------------------------ */
typedef void* OrvantaHandle;

typedef struct OImageFrame {
    uint32_t dataSize;     /* bytes in rawData */
    uint32_t width;        /* pixels */
    uint32_t height;       /* pixels */
    uint32_t bitsPerPixel; /* bits a pixel occupies in rawData (8, 10, 12, 16, 24 or 32) */
    unsigned char* rawData;
    unsigned char* rgbData;   /* width x height x 3, rows packed; may be null (see above) */
    unsigned char* mono8Data; /* width x height */
    uint32_t pixelFormat;     /* GigE Vision pixel-format code */
    uint32_t reserved;
    uint64_t frameID;   /* camera's frame number, from 1; read it inside the callback */
    uint64_t timestamp; /* microseconds since the acquisition started */
} OImageFrame;

/* Camera information record, 144 bytes. */
typedef struct OCameraInfo {
    char vendorName[32];
    char modelName[32];
    char serialNumber[32];
    char deviceVersion[32];
    uint32_t pixelFormat; /* byte offset 128: current pixel-format code */
    uint32_t sensorWidth;
    uint32_t sensorHeight;
    uint32_t reserved;
} OCameraInfo;

/* Size record: region of interest and sensor size. */
typedef struct OSizeInfo {
    int32_t xOffset;
    int32_t yOffset;
    int32_t width;
    int32_t height;
    int32_t maxWidth;  /* sensor width; ignored by OrvantaSetSizeInfo */
    int32_t maxHeight; /* sensor height; ignored by OrvantaSetSizeInfo */
} OSizeInfo;

/* Children of a node. count: in, the capacity (at most 128); out, the names filled (0 when the
 * node has no children or the call fails), never more than the capacity. The top level is
 * listed under the parent name "Root". */
typedef struct NodeNameList {
    uint32_t count;
    char names[ORVANTA_NODE_LIST_CAPACITY][ORVANTA_NODE_TEXT_SIZE];
} NodeNameList;

typedef struct NodeInfo {
    int32_t type;   /* ORVANTA_NODE_* */
    int32_t access; /* ORVANTA_ACCESS_* */
    char displayName[ORVANTA_NODE_TEXT_SIZE];
    char description[ORVANTA_NODE_TEXT_SIZE];
    char unit[ORVANTA_TEXT_SIZE];
} NodeInfo;

/* Integer node, 16 bytes. Values are the low 32 bits of the node's values (a node whose range
 * exceeds int32, such as an IPv4 address, reads as the unsigned 32-bit pattern). */
typedef struct NodeIntInfo {
    int32_t value;
    int32_t minimum;
    int32_t maximum;
    int32_t increment;
} NodeIntInfo;

typedef struct NodeFloatInfo {
    double value;
    double minimum;
    double maximum;
    double increment; /* 0 when the node has no increment */
} NodeFloatInfo;

/* Enumeration node. count: in, the capacity (at most 64); out, the entries filled. */
typedef struct NodeEnumInfo {
    uint32_t count;
    char entries[ORVANTA_ENUM_CAPACITY][ORVANTA_NODE_TEXT_SIZE];
    uint32_t index; /* position of the current entry in entries */
} NodeEnumInfo;

/* Transfer figures of a camera session (OrvantaGetStreamStatistics), counted since the camera
 * was opened or since the last OrvantaResetStreamStatistics, over every acquisition meanwhile.
 * Frame intervals are the times between two frames handed to the acquisition callback, in
 * microseconds, taken when the SDK delivers them; the pause between two acquisitions is no
 * interval. An interval figure is 0 while there is no interval to take it from. */
typedef struct OStreamStatistics {
    uint64_t framesDelivered;  /* frames handed to the acquisition callback */
    uint64_t framesDropped;    /* whole frames the SDK dropped for want of a free buffer: every
                                * ring buffer pinned by consumers, or, on a real camera, no
                                * free receive buffer when the frame came in */
    uint64_t framesIncomplete; /* frames that arrived damaged (packets lost for good, data cut
                                * short); counted and never delivered */
    uint64_t packetsResent;    /* packets the camera sent again at the SDK's request; 0 on
                                * transports without packets (USB3 Vision, simulated cameras) */
    uint64_t packetsMissing;   /* packets that did not arrive, even after the resend requests;
                                * 0 on transports without packets */
    uint64_t intervalMinUs;    /* shortest frame interval since the start */
    uint64_t intervalMeanUs;   /* mean frame interval since the start */
    uint64_t intervalMaxUs;    /* longest frame interval since the start */
    uint64_t lastSecondMinUs;  /* shortest of the intervals that ended in the last second */
    uint64_t lastSecondMeanUs; /* their mean */
    uint64_t lastSecondMaxUs;  /* the longest of them */
} OStreamStatistics;

typedef void (*OrvantaFrameCallback)(OImageFrame* frame);

/* ---- Library and enumeration ------------------------------------------------------------- */
ORVANTA_API int OrvantaInit(void);
ORVANTA_API int OrvantaUninit(void);
ORVANTA_API const char* OrvantaStatusText(int status);

ORVANTA_API int OrvantaNumberOfCameras(int* count);
ORVANTA_API int OrvantaGetDisplayName(int index, char* name); /* 64-byte buffer */
ORVANTA_API int OrvantaGetCameraID(int index, char* id);      /* 64-byte buffer */

/* ---- Session ----------------------------------------------------------------------------- */
ORVANTA_API int OrvantaOpenCamera(const char* id, OrvantaHandle* handle);
ORVANTA_API int OrvantaCloseCamera(OrvantaHandle handle);
/* Restarts the camera: the handle is closed, the camera leaves the enumeration for about two
 * seconds and comes back with its power-on settings. */
ORVANTA_API int OrvantaCameraReset(OrvantaHandle handle);
ORVANTA_API int OrvantaGetCamInfo(OrvantaHandle handle, OCameraInfo* info);
ORVANTA_API int OrvantaGetSizeInfo(OrvantaHandle handle, OSizeInfo* size);
/* Offsets and sizes are aligned down to the camera's increments and clamped to the sensor;
 * a width or height of zero, or beyond the sensor, is refused (ORVANTA_ERR_OUT_OF_RANGE).
 * Refused while acquiring (ORVANTA_ERR_ACQUIRING). */
ORVANTA_API int OrvantaSetSizeInfo(OrvantaHandle handle, OSizeInfo size);

/* ---- Acquisition ------------------------------------------------------------------------- */
ORVANTA_API int OrvantaStartAcquisition(OrvantaHandle handle, OrvantaFrameCallback callback);
/* No callback runs after this returns. Safe to call when not acquiring (returns OK). */
ORVANTA_API int OrvantaStopAcquisition(OrvantaHandle handle);
ORVANTA_API int OrvantaSetBayerConversion(OrvantaHandle handle, int enable);
ORVANTA_API int OrvantaLockFrame(const OImageFrame* frame, uint64_t frameID);
ORVANTA_API int OrvantaUnlockFrame(const OImageFrame* frame);
ORVANTA_API int OrvantaGrabRGBData(OrvantaHandle handle, OImageFrame* frame, int timeoutMs);
ORVANTA_API int OrvantaGrabRAWData(OrvantaHandle handle, OImageFrame* frame, int timeoutMs);
ORVANTA_API int OrvantaRunSoftwareTrigger(OrvantaHandle handle);
/* The session's transfer figures (see OStreamStatistics), also between acquisitions. */
ORVANTA_API int OrvantaGetStreamStatistics(OrvantaHandle handle, OStreamStatistics* statistics);
/* Sets every figure of the session's transfer statistics back to 0. */
ORVANTA_API int OrvantaResetStreamStatistics(OrvantaHandle handle);

/* ---- Registers ---------------------------------------------------------------------------
 * 32-bit device registers at byte addresses. The register map of the simulated cameras is below;
 * the persistent-address and SCDA registers are the GigE Vision bootstrap registers, at the same
 * addresses on real GigE Vision cameras. Writes to a register that mirrors a feature go through
 * the feature's checks (range, increment, access); an address without a register answers
 * ORVANTA_ERR_NO_REGISTER. */
enum {
    ORVANTA_REG_DEVICE_VERSION = 0x0010,     /* RO  device version, 0x00010000 for 1.0.0 */
    ORVANTA_REG_PERSISTENT_IP = 0x064C,      /* RW  GevPersistentIPAddress */
    ORVANTA_REG_PERSISTENT_MASK = 0x065C,    /* RW  GevPersistentSubnetMask */
    ORVANTA_REG_PERSISTENT_GATEWAY = 0x066C, /* RW  GevPersistentDefaultGateway */
    ORVANTA_REG_SCDA = 0x0D18,               /* RO  GevSCDA, stream destination address */
    ORVANTA_REG_WIDTH = 0x10000,             /* RW  Width */
    ORVANTA_REG_HEIGHT = 0x10004,            /* RW  Height */
    ORVANTA_REG_OFFSET_X = 0x10008,          /* RW  OffsetX */
    ORVANTA_REG_OFFSET_Y = 0x1000C,          /* RW  OffsetY */
    ORVANTA_REG_GAIN = 0x10010,              /* RW  Gain */
    ORVANTA_REG_EXPOSURE = 0x10014,          /* RW  ExposureTime in whole microseconds */
    ORVANTA_REG_PIXEL_FORMAT = 0x10018,      /* RO  current pixel-format code */
    ORVANTA_REG_BLACK_LEVEL = 0x1001C,       /* RW  BlackLevel */
    ORVANTA_REG_SCRATCH = 0x20000,           /* RW  free for tests, 0 when the camera appears */
    ORVANTA_REG_DELIVERED = 0x20004          /* RO  frames delivered to callbacks (low 32 bits) */
};
ORVANTA_API int OrvantaReadRegister(OrvantaHandle handle, uint32_t address, uint32_t* value);
ORVANTA_API int OrvantaWriteRegiser(OrvantaHandle handle, uint32_t address, uint32_t value);

/* ---- GenICam nodes ----------------------------------------------------------------------- */
ORVANTA_API int OrvantaGetNodeList(OrvantaHandle handle, const char* parent, NodeNameList* list);
ORVANTA_API int OrvantaGetNodeInfo(OrvantaHandle handle, const char* name, NodeInfo* info);
ORVANTA_API int OrvantaGetNodeInt(OrvantaHandle handle, const char* name, NodeIntInfo* info);
ORVANTA_API int OrvantaSetNodeInt(OrvantaHandle handle, const char* name, int64_t value);
ORVANTA_API int OrvantaGetNodeFloat(OrvantaHandle handle, const char* name, NodeFloatInfo* info);
ORVANTA_API int OrvantaSetNodeFloat(OrvantaHandle handle, const char* name, double value);
ORVANTA_API int OrvantaGetNodeBoolean(OrvantaHandle handle, const char* name, bool* value);
ORVANTA_API int OrvantaSetNodeBoolean(OrvantaHandle handle, const char* name, bool value);
/* Enumeration nodes: the entries and the current one; Set takes the entry's name. */
ORVANTA_API int OrvantaGetNodeEnum(OrvantaHandle handle, const char* name, NodeEnumInfo* info);
ORVANTA_API int OrvantaSetNodeEnum(OrvantaHandle handle, const char* name, const char* entry);
/* String nodes (256-byte buffer). On an enumeration node Get gives the current entry's name
 * and Set selects the entry of that name. */
ORVANTA_API int OrvantaGetNodeString(OrvantaHandle handle, const char* name, char* value);
ORVANTA_API int OrvantaSetNodeString(OrvantaHandle handle, const char* name, const char* value);
ORVANTA_API int OrvantaSetNodeCommand(OrvantaHandle handle, const char* name);

/* ---- Feature families -------------------------------------------------------------------- */
#define ORVANTA_INT_FEATURE(F)                                                                   \
    ORVANTA_API int OrvantaGet##F(OrvantaHandle handle, int* value);                             \
    ORVANTA_API int OrvantaSet##F(OrvantaHandle handle, int value);                              \
    ORVANTA_API int OrvantaGet##F##MinMax(OrvantaHandle handle, int* minimum, int* maximum);

ORVANTA_API int OrvantaGetGain(OrvantaHandle handle, int* value, bool* autoOn);
ORVANTA_API int OrvantaSetGain(OrvantaHandle handle, int value, bool autoOn);
ORVANTA_API int OrvantaGetGainMinMax(OrvantaHandle handle, int* minimum, int* maximum);
ORVANTA_INT_FEATURE(RGain)
ORVANTA_INT_FEATURE(GGain)
ORVANTA_INT_FEATURE(BGain)
ORVANTA_INT_FEATURE(BlackLevel)
ORVANTA_INT_FEATURE(Contrast)
ORVANTA_INT_FEATURE(Hue)
ORVANTA_INT_FEATURE(Saturation)
ORVANTA_INT_FEATURE(Sharpness)
ORVANTA_INT_FEATURE(AutoExposure) /* auto-exposure target brightness */
#undef ORVANTA_INT_FEATURE

/* Exposure time in microseconds; autoOn: continuous auto exposure. */
ORVANTA_API int OrvantaGetShutter(OrvantaHandle handle, uint32_t* value, bool* autoOn);
ORVANTA_API int OrvantaSetShutter(OrvantaHandle handle, uint32_t value, bool autoOn);
ORVANTA_API int OrvantaGetShutterMinMax(OrvantaHandle handle, uint32_t* minimum, uint32_t* maximum);

ORVANTA_API int OrvantaGetGamma(OrvantaHandle handle, float* value);
ORVANTA_API int OrvantaSetGamma(OrvantaHandle handle, float value);
ORVANTA_API int OrvantaGetGammaMinMax(OrvantaHandle handle, float* minimum, float* maximum);

/* Frames per second. The maximum depends on the ROI height and the exposure time. */
ORVANTA_API int OrvantaGetFrameRate(OrvantaHandle handle, float* value);
ORVANTA_API int OrvantaSetFrameRate(OrvantaHandle handle, float value);
ORVANTA_API int OrvantaGetFrameRateMinMax(OrvantaHandle handle, float* minimum, float* maximum);

/* Text-list features: the number of choices, the choice at an index, the current choice and
 * choosing by text (64-byte buffers). */
#define ORVANTA_LIST_FEATURE(X)                                                                  \
    ORVANTA_API int OrvantaGetNumAvailable##X##s(OrvantaHandle handle, int* count);              \
    ORVANTA_API int OrvantaGetAvailable##X##sIdxToStr(OrvantaHandle handle, int index,           \
                                                       char* text);                              \
    ORVANTA_API int OrvantaGet##X##Str(OrvantaHandle handle, char* text);                        \
    ORVANTA_API int OrvantaSet##X##Str(OrvantaHandle handle, const char* text);

ORVANTA_LIST_FEATURE(PixelFormat)
ORVANTA_LIST_FEATURE(WhiteBalance) /* "Off", "Once", "Continuous" */
ORVANTA_LIST_FEATURE(TriggerMode)
ORVANTA_LIST_FEATURE(TriggerSource)
ORVANTA_LIST_FEATURE(TriggerPolarity)
ORVANTA_LIST_FEATURE(StrobeMode)
ORVANTA_LIST_FEATURE(StrobePolarity)
#undef ORVANTA_LIST_FEATURE

ORVANTA_API int OrvantaGetTriggerEnable(OrvantaHandle handle, bool* enabled);
ORVANTA_API int OrvantaSetTriggerEnable(OrvantaHandle handle, bool enabled);
ORVANTA_API int OrvantaGetTriggerDelay(OrvantaHandle handle, int* microseconds);
ORVANTA_API int OrvantaSetTriggerDelay(OrvantaHandle handle, int microseconds);
ORVANTA_API int OrvantaGetTriggerParameter(OrvantaHandle handle, int* value);
ORVANTA_API int OrvantaSetTriggerParameter(OrvantaHandle handle, int value);
ORVANTA_API int OrvantaGetTriggerNoiseFilter(OrvantaHandle handle, int* value);
ORVANTA_API int OrvantaSetTriggerNoiseFilter(OrvantaHandle handle, int value);
ORVANTA_API int OrvantaGetStrobeEnable(OrvantaHandle handle, bool* enabled);
ORVANTA_API int OrvantaSetStrobeEnable(OrvantaHandle handle, bool enabled);
ORVANTA_API int OrvantaGetStrobeDelay(OrvantaHandle handle, int* microseconds);
ORVANTA_API int OrvantaSetStrobeDelay(OrvantaHandle handle, int microseconds);
ORVANTA_API int OrvantaGetStrobeDuration(OrvantaHandle handle, int* microseconds);
ORVANTA_API int OrvantaSetStrobeDuration(OrvantaHandle handle, int microseconds);

/* Restores the factory settings (the "Default" user set) into the camera's current state. */
ORVANTA_API int OrvantaSetUserDefault(OrvantaHandle handle);

/* ---- Feature files ----------------------------------------------------------------------- */
/* A features file holds a camera's settings as text: lines starting with '#' are comments (the
 * saved file begins with the camera's model and serial number, the date, the program that wrote
 * it and the SDK version), every other line is "FeatureName<TAB>Value". Integers are decimal
 * (0x hex is read too), floats use '.' whatever the locale, booleans are 1 and 0 (true and false
 * are read too), enumerations are given by entry name, strings verbatim up to the end of the
 * line. */

/* Writes every feature that can be read and written now, in the order of the node tree:
 * commands, read-only features and the transport layer (TransportLayerControl and the Gev...
 * features: addresses, packet size) are left out. The file is replaced only once complete, so
 * a failed save leaves an older file as it was. ORVANTA_ERR_FILE when it cannot be written. */
ORVANTA_API int OrvantaSaveFeatures(OrvantaHandle handle, const char* path);

/* Applies a features file, also one saved from another model: the features in file order, then
 * those refused (out of range, read-only) again in up to three more passes, since a range can
 * depend on another feature (Width before OffsetX, ExposureAuto before ExposureTime). Features
 * that do not keep their value after a later write are retried too. Nothing is written for a
 * malformed line. Stop the acquisition first: features that size the frames are refused while
 * acquiring.
 *
 * report: caller buffer of capacity bytes, or null with capacity 0. It receives one line per
 * line of the file that was not applied, by line number:
 *     "LINE<TAB>FEATURE<TAB>REASON\n"
 * LINE is the file's line number (0 for the file as a whole), FEATURE is empty for a malformed
 * line, REASON starts with "missing on this camera", "read-only", "out of range",
 * "wrong type", "malformed line", "did not keep the value", "not writable while acquiring",
 * "transport-layer setting" or "cannot be read". Only whole lines are written; when they do not
 * all fit, the report ends with "0<TAB><TAB>N more not listed\n". The report is always
 * NUL-terminated when capacity > 0; 4096 bytes hold a few dozen lines.
 *
 * Returns ORVANTA_OK when every feature was applied (empty report), ORVANTA_ERR_PARTIAL when some
 * were not (listed in the report), ORVANTA_ERR_FILE when the file cannot be read (the reason in
 * the report), or the status of a camera that failed meanwhile. */
ORVANTA_API int OrvantaLoadFeatures(OrvantaHandle handle, const char* path, char* report,
                                    size_t capacity);

#ifdef __cplusplus
}
#endif

#endif /* ORVANTA_API_H */

/*
[VERSION_INFO]
PACKAGE_VERSION=1.0.0
LIBRARY_VERSION=1.0.0
*/
