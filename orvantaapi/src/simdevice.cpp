#include "simdevice.h"

namespace orvanta {

int SimDevice::list(const std::string& parent, std::vector<std::string>& names)
{
    return nodes([&](NodeStore& s) { return s.list(parent, names); });
}

int SimDevice::info(const std::string& name, NodeInfo& out)
{
    return nodes([&](NodeStore& s) { return s.info(name, out); });
}

int SimDevice::getInt(Scope scope, const std::string& name, IntValue& out)
{
    return nodes([&](NodeStore& s) { return s.getInt(scope, name, out); });
}

int SimDevice::setInt(Scope scope, const std::string& name, int64_t value)
{
    return nodes([&](NodeStore& s) { return s.setInt(scope, name, value); });
}

int SimDevice::getFloat(Scope scope, const std::string& name, FloatValue& out)
{
    return nodes([&](NodeStore& s) { return s.getFloat(scope, name, out); });
}

int SimDevice::setFloat(Scope scope, const std::string& name, double value)
{
    return nodes([&](NodeStore& s) { return s.setFloat(scope, name, value); });
}

int SimDevice::getBool(Scope scope, const std::string& name, bool& out)
{
    return nodes([&](NodeStore& s) { return s.getBool(scope, name, out); });
}

int SimDevice::setBool(Scope scope, const std::string& name, bool value)
{
    return nodes([&](NodeStore& s) { return s.setBool(scope, name, value); });
}

int SimDevice::getEnum(Scope scope, const std::string& name, EnumValue& out)
{
    return nodes([&](NodeStore& s) { return s.getEnum(scope, name, out); });
}

int SimDevice::setEnum(Scope scope, const std::string& name, const std::string& entry)
{
    return nodes([&](NodeStore& s) { return s.setEnum(scope, name, entry); });
}

int SimDevice::getString(Scope scope, const std::string& name, std::string& out)
{
    return nodes([&](NodeStore& s) { return s.getString(scope, name, out); });
}

int SimDevice::setString(Scope scope, const std::string& name, const std::string& value)
{
    return nodes([&](NodeStore& s) { return s.setString(scope, name, value); });
}

int SimDevice::execute(Scope scope, const std::string& name)
{
    return nodes([&](NodeStore& s) { return s.execute(scope, name); });
}

int SimDevice::restoreFactoryDefault()
{
    return call([](SimCamera& c) { return c.restoreFactoryDefault(); });
}

int SimDevice::readRegister(uint32_t address, uint32_t& value)
{
    return call([&](SimCamera& c) { return c.readRegister(address, value); });
}

int SimDevice::writeRegister(uint32_t address, uint32_t value)
{
    return call([&](SimCamera& c) { return c.writeRegister(address, value); });
}

int SimDevice::startAcquisition(OrvantaFrameCallback callback)
{
    return call([&](SimCamera& c) { return c.startAcquisition(callback, counters_); });
}

int SimDevice::stopAcquisition()
{
    return call([](SimCamera& c) { return c.stopAcquisition(); });
}

int SimDevice::setBayerConversion(bool on)
{
    return call([&](SimCamera& c) { return c.setBayerConversion(on); });
}

int SimDevice::grab(OImageFrame& frame, int timeoutMs, bool rgb)
{
    return call([&](SimCamera& c) { return c.grab(frame, timeoutMs, rgb); });
}

int SimDevice::softwareTrigger()
{
    return call([](SimCamera& c) { return c.softwareTrigger(); });
}

int SimDevice::reset()
{
    if (closed_.exchange(true))
        return ORVANTA_ERR_INVALID_HANDLE;
    return camera_->reset();
}

void SimDevice::close()
{
    if (!closed_.exchange(true))
        camera_->close();
}

} // namespace orvanta
