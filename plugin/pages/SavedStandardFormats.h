// The standard format that each camera had when the user last switched its
// streaming page into the Format 7 view, so that leaving the view can return
// the pin to it. One entry per camera, kept for the life of the module: it
// survives closing and reopening the property frame, and the pages of several
// cameras (each on its own thread) neither share nor race on an entry.
// Platform-neutral.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>

// What leaving the Format 7 view matches a standard capability by.
struct StandardFormat {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t compression = 0;
};

// Identifies one camera: its serial number when the camera answered the
// read, otherwise the identity of its capture filter object.
struct CameraKey {
    enum Kind : std::uint32_t { SerialNumber = 0, FilterIdentity = 1 };
    Kind kind = FilterIdentity;
    std::uint64_t value = 0;

    bool operator<(const CameraKey& other) const {
        return kind != other.kind ? kind < other.kind : value < other.value;
    }
};

class SavedStandardFormats {
public:
    static SavedStandardFormats& Module();  // the module's one store

    void Save(const CameraKey& camera, const StandardFormat& format);
    // False when nothing was saved for the camera in this process.
    bool Load(const CameraKey& camera, StandardFormat* format) const;

private:
    mutable std::mutex m_lock;
    std::map<CameraKey, StandardFormat> m_formats;
};
