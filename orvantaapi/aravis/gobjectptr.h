// Owning handles for GLib objects and errors, so that every Aravis object is released on every
// path.
#ifndef ORVANTA_GOBJECTPTR_H
#define ORVANTA_GOBJECTPTR_H

#include <glib-object.h>

#include <memory>
#include <string>

namespace orvanta {

struct GObjectUnref
{
    void operator()(void* object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <class T> using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// A GError out-parameter that frees itself.
class GErrorSlot
{
public:
    GErrorSlot() = default;
    GErrorSlot(const GErrorSlot&) = delete;
    GErrorSlot& operator=(const GErrorSlot&) = delete;
    ~GErrorSlot() { clear(); }

    GError** out()
    {
        clear();
        return &error_;
    }
    explicit operator bool() const { return error_ != nullptr; }
    const GError* get() const { return error_; }
    std::string message() const { return error_ ? error_->message : ""; }
    void clear()
    {
        if (error_)
            g_error_free(error_);
        error_ = nullptr;
    }

private:
    GError* error_ = nullptr;
};

} // namespace orvanta

#endif
