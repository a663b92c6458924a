#include "aravisdevice.h"

#include "aravisnodes.h"

#include <cmath>

namespace orvanta {

namespace {

// GigE Vision bootstrap registers, which no GenICam file lists.
constexpr uint64_t kGigEBootstrapEnd = 0x1000;

using LostFlag = std::shared_ptr<std::atomic<bool>>;

} // namespace

AravisDevice::AravisDevice(GObjectPtr<ArvCamera> camera, std::function<void()> onClose)
    : camera_(std::move(camera)), onClose_(std::move(onClose))
{
    device_ = arv_camera_get_device(camera_.get());
    genicam_ = arv_device_get_genicam(device_);
    // Off by default in Aravis: without them out-of-range values and writes to read-only
    // nodes reach the camera.
    arv_device_set_range_check_policy(device_, ARV_RANGE_CHECK_POLICY_ENABLE);
    arv_device_set_access_check_policy(device_, ARV_ACCESS_CHECK_POLICY_ENABLE);
    buildRegisterMap();
    lostHandler_ =
        g_signal_connect_data(device_, "control-lost", G_CALLBACK(onControlLost),
                              new LostFlag(lost_), &AravisDevice::freeLostFlag, GConnectFlags(0));
}

void AravisDevice::onControlLost(ArvDevice*, gpointer flag)
{
    (*static_cast<LostFlag*>(flag))->store(true);
}

void AravisDevice::freeLostFlag(gpointer flag, GClosure*)
{
    delete static_cast<LostFlag*>(flag);
}

AravisDevice::~AravisDevice()
{
    close();
}

template <class F> int AravisDevice::call(F&& f, Wait wait)
{
    if (closed_)
        return ORVANTA_ERR_INVALID_HANDLE;
    if (*lost_)
        return ORVANTA_ERR_DEVICE;
    std::unique_lock<std::mutex> lock(mutex_);
    if (wait == Wait::AfterGrab)
        grabEnded_.wait(lock, [this] { return !grabOwnsStream_; });
    if (!camera_)
        return ORVANTA_ERR_INVALID_HANDLE;
    return f();
}

int AravisDevice::resolve(Scope scope, const std::string& name, Target& out)
{
    if (scope == Scope::Tree) {
        ArvGcNode* node = arv_gc_get_node(genicam_, name.c_str());
        if (!node)
            return ORVANTA_ERR_NO_NODE;
        out = {node, name, 1};
        return ORVANTA_OK;
    }
    for (const FeatureAlias& alias : featureAliases(name)) {
        ArvGcNode* node = arv_gc_get_node(genicam_, alias.node.c_str());
        if (!node || arvNodeAccess(node) == ORVANTA_ACCESS_NOT_IMPLEMENTED)
            continue;
        if (!alias.selector.empty()) {
            ArvGcNode* selector = arv_gc_get_node(genicam_, alias.selector.c_str());
            if (!selector || arvSetEnum(selector, alias.selectorEntry) != ORVANTA_OK)
                continue;
        }
        out = {node, alias.node, alias.floatScale};
        return ORVANTA_OK;
    }
    return ORVANTA_ERR_NO_NODE;
}

int AravisDevice::guardWrite(const Target& t) const
{
    return stream_ && isStreamGeometryNode(t.name) ? int(ORVANTA_ERR_ACQUIRING) : int(ORVANTA_OK);
}

template <class F> int AravisDevice::onNode(Scope scope, const std::string& name, F&& f, Wait wait)
{
    return call(
        [&] {
            Target t;
            if (int rc = resolve(scope, name, t))
                return rc;
            return int(f(t));
        },
        wait);
}

template <class F> int AravisDevice::onWritableNode(Scope scope, const std::string& name, F&& f)
{
    // The resolved name is only known under the lock: a geometry name asked for waits.
    return onNode(
        scope, name,
        [&](const Target& t) {
            if (int rc = guardWrite(t))
                return rc;
            return int(f(t));
        },
        isStreamGeometryNode(name) ? Wait::AfterGrab : Wait::No);
}

int AravisDevice::list(const std::string& parent, std::vector<std::string>& names)
{
    return onNode(Scope::Tree, parent, [&](const Target& t) { return arvChildren(t.node, names); });
}

int AravisDevice::info(const std::string& name, NodeInfo& out)
{
    return onNode(Scope::Tree, name,
                  [&](const Target& t) { return arvNodeInfo(t.node, name, out); });
}

int AravisDevice::getInt(Scope scope, const std::string& name, IntValue& out)
{
    return onNode(scope, name, [&](const Target& t) {
        if (scope == Scope::Tree || arvNodeType(t.node) != ORVANTA_NODE_FLOAT)
            return arvGetInt(t.node, out);
        FloatValue f;
        if (int rc = arvGetFloat(t.node, f))
            return rc;
        // The integer range stays inside the float one.
        out.value = std::llround(f.value * t.floatScale);
        out.minimum = int64_t(std::ceil(f.minimum * t.floatScale));
        out.maximum = int64_t(std::floor(f.maximum * t.floatScale));
        out.increment = std::max<int64_t>(1, std::llround(f.increment * t.floatScale));
        return int(ORVANTA_OK);
    });
}

int AravisDevice::setInt(Scope scope, const std::string& name, int64_t value)
{
    return onWritableNode(scope, name, [&](const Target& t) {
        if (scope == Scope::Feature && arvNodeType(t.node) == ORVANTA_NODE_FLOAT)
            return arvSetFloat(t.node, double(value) / t.floatScale);
        return arvSetInt(t.node, value);
    });
}

int AravisDevice::getFloat(Scope scope, const std::string& name, FloatValue& out)
{
    return onNode(scope, name, [&](const Target& t) {
        if (scope == Scope::Tree || arvNodeType(t.node) != ORVANTA_NODE_INTEGER)
            return arvGetFloat(t.node, out);
        IntValue i;
        if (int rc = arvGetInt(t.node, i))
            return rc;
        out = {double(i.value), double(i.minimum), double(i.maximum), double(i.increment)};
        return int(ORVANTA_OK);
    });
}

int AravisDevice::setFloat(Scope scope, const std::string& name, double value)
{
    return onWritableNode(scope, name, [&](const Target& t) {
        if (scope == Scope::Feature && arvNodeType(t.node) == ORVANTA_NODE_INTEGER) {
            if (!std::isfinite(value))
                return int(ORVANTA_ERR_OUT_OF_RANGE);
            return arvSetInt(t.node, std::llround(value));
        }
        return arvSetFloat(t.node, value);
    });
}

int AravisDevice::getBool(Scope scope, const std::string& name, bool& out)
{
    return onNode(scope, name, [&](const Target& t) { return arvGetBool(t.node, out); });
}

int AravisDevice::setBool(Scope scope, const std::string& name, bool value)
{
    return onNode(scope, name, [&](const Target& t) { return arvSetBool(t.node, value); });
}

int AravisDevice::getEnum(Scope scope, const std::string& name, EnumValue& out)
{
    return onNode(scope, name, [&](const Target& t) { return arvGetEnum(t.node, out); });
}

int AravisDevice::setEnum(Scope scope, const std::string& name, const std::string& entry)
{
    return onWritableNode(scope, name, [&](const Target& t) { return arvSetEnum(t.node, entry); });
}

int AravisDevice::getString(Scope scope, const std::string& name, std::string& out)
{
    return onNode(scope, name, [&](const Target& t) { return arvGetString(t.node, out); });
}

int AravisDevice::setString(Scope scope, const std::string& name, const std::string& value)
{
    return onWritableNode(scope, name,
                          [&](const Target& t) { return arvSetString(t.node, value); });
}

int AravisDevice::execute(Scope scope, const std::string& name)
{
    return onNode(scope, name, [&](const Target& t) { return arvExecute(t.node); });
}

int AravisDevice::restoreFactoryDefault()
{
    return call(
        [&] {
            Target selector, load;
            if (resolve(Scope::Feature, "UserSetSelector", selector) ||
                resolve(Scope::Feature, "UserSetLoad", load))
                return int(ORVANTA_ERR_NOT_SUPPORTED);
            if (stream_)
                return int(ORVANTA_ERR_ACQUIRING);
            if (int rc = arvSetEnum(selector.node, "Default"))
                return rc;
            return arvExecute(load.node);
        },
        Wait::AfterGrab);
}

void AravisDevice::buildRegisterMap()
{
    ArvDomElement* root = arv_dom_document_get_document_element(ARV_DOM_DOCUMENT(genicam_));
    for (ArvDomNode* n = root ? arv_dom_node_get_first_child(ARV_DOM_NODE(root)) : nullptr; n;
         n = arv_dom_node_get_next_sibling(n)) {
        if (!ARV_IS_GC_REGISTER(n))
            continue;
        GErrorSlot error;
        const guint64 address = arv_gc_register_get_address(ARV_GC_REGISTER(n), error.out());
        if (error)
            continue;
        const guint64 length = arv_gc_register_get_length(ARV_GC_REGISTER(n), error.out());
        if (!error && length > 0)
            registers_.emplace_back(address, address + length);
    }
    if (ARV_IS_GV_DEVICE(device_))
        registers_.emplace_back(0, kGigEBootstrapEnd);
}

bool AravisDevice::registerMapped(uint32_t address) const
{
    const uint64_t begin = address, end = begin + 4;
    for (const auto& r : registers_)
        if (begin >= r.first && end <= r.second)
            return true;
    return false;
}

int AravisDevice::readRegister(uint32_t address, uint32_t& value)
{
    return call([&] {
        // Reads outside the device's register map can crash inside Aravis (its fake cameras).
        if (!registerMapped(address))
            return int(ORVANTA_ERR_NO_REGISTER);
        GErrorSlot error;
        guint32 v = 0;
        arv_device_read_register(device_, address, &v, error.out());
        if (error)
            return arvErrorStatus(error.get());
        value = v;
        return int(ORVANTA_OK);
    });
}

int AravisDevice::writeRegister(uint32_t address, uint32_t value)
{
    return call([&] {
        if (!registerMapped(address))
            return int(ORVANTA_ERR_NO_REGISTER);
        GErrorSlot error;
        arv_device_write_register(device_, address, value, error.out());
        return error ? arvErrorStatus(error.get()) : int(ORVANTA_OK);
    });
}

int AravisDevice::checkPixelFormat()
{
    GErrorSlot error;
    const ArvPixelFormat format = arv_camera_get_pixel_format(camera_.get(), error.out());
    if (error)
        return arvErrorStatus(error.get());
    return pixelFormatByCode(format) ? int(ORVANTA_OK) : int(ORVANTA_ERR_NOT_SUPPORTED);
}

std::shared_ptr<AravisStream> AravisDevice::stopStream()
{
    if (!stream_)
        return nullptr;
    GErrorSlot ignored; // a camera that vanished cannot be stopped; the stream ends anyway
    arv_camera_stop_acquisition(camera_.get(), ignored.out());
    streamHasCallback_ = false;
    return std::move(stream_);
}

int AravisDevice::startAcquisition(OrvantaFrameCallback callback)
{
    return call(
        [&] {
            if (stream_)
                return int(ORVANTA_ERR_ACQUIRING);
            if (int rc = checkPixelFormat())
                return rc;
            if (ArvGcNode* mode = arv_gc_get_node(genicam_, "AcquisitionMode"))
                arvSetEnum(mode, "Continuous"); // cameras without it stream continuously anyway
            std::shared_ptr<AravisStream> s;
            if (int rc = AravisStream::create(camera_.get(), callback, counters_, s))
                return rc;
            s->setBayerConversion(bayer_);
            GErrorSlot error;
            arv_camera_start_acquisition(camera_.get(), error.out());
            if (error)
                return arvErrorStatus(error.get());
            stream_ = std::move(s);
            streamHasCallback_ = callback != nullptr;
            counters_->streamStarted();
            return int(ORVANTA_OK);
        },
        Wait::AfterGrab);
}

int AravisDevice::stopAcquisition()
{
    std::shared_ptr<AravisStream> stopped;
    const int rc = call([&] {
        stopped = stopStream();
        return int(ORVANTA_OK);
    });
    // Outside the lock: a callback still running may call into this device.
    AravisStream::release(std::move(stopped));
    return rc == ORVANTA_ERR_DEVICE ? int(ORVANTA_OK) : rc;
}

int AravisDevice::setBayerConversion(bool on)
{
    return call([&] {
        bayer_ = on;
        if (stream_)
            stream_->setBayerConversion(on);
        return int(ORVANTA_OK);
    });
}

int AravisDevice::grab(OImageFrame& frame, int timeoutMs, bool rgb)
{
    if (rgb ? !frame.rgbData : !frame.rawData)
        return ORVANTA_ERR_BAD_ARGUMENT;
    std::shared_ptr<AravisStream> stream;
    size_t sensorPixels = 0;
    bool own = false; // a stream started for this grab only
    int rc = call([&] {
        if (int r = checkPixelFormat())
            return r;
        Target w, h;
        IntValue sw, sh;
        if (int r = resolve(Scope::Feature, "SensorWidth", w))
            return r;
        if (int r = arvGetInt(w.node, sw))
            return r;
        if (int r = resolve(Scope::Feature, "SensorHeight", h))
            return r;
        if (int r = arvGetInt(h.node, sh))
            return r;
        sensorPixels =
            size_t(std::max<int64_t>(sw.value, 0)) * size_t(std::max<int64_t>(sh.value, 0));
        if (!stream_) {
            if (ArvGcNode* mode = arv_gc_get_node(genicam_, "AcquisitionMode"))
                arvSetEnum(mode, "Continuous");
            if (int r = AravisStream::create(camera_.get(), nullptr, counters_, stream_))
                return r;
            GErrorSlot error;
            arv_camera_start_acquisition(camera_.get(), error.out());
            if (error) {
                stream_.reset();
                return arvErrorStatus(error.get());
            }
            own = true;
            grabOwnsStream_ = true;
        }
        stream = stream_;
        return int(ORVANTA_OK);
    });
    if (rc)
        return rc;
    rc = stream->grab(frame, sensorPixels, timeoutMs, rgb);
    if (own) {
        std::shared_ptr<AravisStream> stopped;
        call([&] {
            if (stream_ == stream)
                stopped = stopStream();
            return int(ORVANTA_OK);
        });
        // Also when the camera was lost or closed meanwhile (call did nothing): nobody waits
        // for this grab any longer.
        {
            std::lock_guard<std::mutex> lock(mutex_);
            grabOwnsStream_ = false;
        }
        grabEnded_.notify_all();
        AravisStream::release(std::move(stopped));
        AravisStream::release(std::move(stream));
    }
    return rc;
}

int AravisDevice::softwareTrigger()
{
    return call([&] {
        Target t;
        if (resolve(Scope::Feature, "TriggerSoftware", t))
            return int(ORVANTA_ERR_NOT_SUPPORTED);
        if (!stream_)
            return int(ORVANTA_ERR_NOT_ACQUIRING);
        return arvExecute(t.node);
    });
}

int AravisDevice::reset()
{
    stopAcquisition();
    const int rc = call([&] {
        Target t;
        if (resolve(Scope::Feature, "DeviceReset", t))
            return int(ORVANTA_ERR_NOT_SUPPORTED);
        return arvExecute(t.node);
    });
    close();
    return rc;
}

void AravisDevice::close()
{
    if (closed_.exchange(true))
        return;
    std::shared_ptr<AravisStream> stopped;
    GObjectPtr<ArvCamera> camera;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped = stopStream();
        camera = std::move(camera_);
    }
    AravisStream::release(std::move(stopped));
    if (camera && lostHandler_)
        g_signal_handler_disconnect(device_, lostHandler_);
    camera.reset();
    if (onClose_)
        onClose_();
}

} // namespace orvanta
