#include "SavedStandardFormats.h"

SavedStandardFormats& SavedStandardFormats::Module() {
    static SavedStandardFormats store;
    return store;
}

void SavedStandardFormats::Save(const CameraKey& camera, const StandardFormat& format) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_formats[camera] = format;
}

bool SavedStandardFormats::Load(const CameraKey& camera, StandardFormat* format) const {
    std::lock_guard<std::mutex> hold(m_lock);
    auto found = m_formats.find(camera);
    if (found == m_formats.end()) return false;
    *format = found->second;
    return true;
}
