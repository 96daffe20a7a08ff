#include "StreamCapabilities.h"

#include "BaseClasses.h"

#include <cstdlib>
#include <cstring>
#include <new>

VIDEOINFOHEADER* VideoInfoOf(AM_MEDIA_TYPE* mediaType) {
    if (mediaType == nullptr || mediaType->pbFormat == nullptr ||
        mediaType->cbFormat < sizeof(VIDEOINFOHEADER)) {
        return nullptr;
    }
    return reinterpret_cast<VIDEOINFOHEADER*>(mediaType->pbFormat);
}

bool ReadCurrentFormat(IAMStreamConfig* config, CurrentVideoFormat* current) {
    if (config == nullptr) return false;
    AM_MEDIA_TYPE* mediaType = nullptr;
    if (FAILED(config->GetFormat(&mediaType)) || mediaType == nullptr) return false;
    const VIDEOINFOHEADER* info = VideoInfoOf(mediaType);
    if (info != nullptr) {
        current->info = *info;
        FormatResolutionText(info->bmiHeader.biWidth, info->bmiHeader.biHeight, current->resolution);
    }
    DeleteMediaType(mediaType);
    return info != nullptr;
}

CapabilityWalk::CapabilityWalk(IAMStreamConfig* config) : m_config(config) {
    int count = 0;
    int size = 0;
    if (m_config == nullptr || FAILED(m_config->GetNumberOfCapabilities(&count, &size)) ||
        count <= 0) {
        return;
    }
    // A pin may report a record larger than the one this page reads; give it
    // all the room it asks for so that GetStreamCaps never writes past it.
    std::size_t bytes = sizeof(VIDEO_STREAM_CONFIG_CAPS);
    if (size > 0 && static_cast<std::size_t>(size) > bytes) bytes = static_cast<std::size_t>(size);
    m_caps = static_cast<VIDEO_STREAM_CONFIG_CAPS*>(std::calloc(1, bytes));
    if (m_caps != nullptr) m_count = count;
}

CapabilityWalk::~CapabilityWalk() { std::free(m_caps); }

void CapabilityWalk::Free(AM_MEDIA_TYPE* mediaType) { DeleteMediaType(mediaType); }

bool CapabilityWalk::Fetch(int index, CapabilityView* view) {
    AM_MEDIA_TYPE* mediaType = nullptr;
    // S_FALSE means the index is past the end: no media type was delivered.
    if (m_config->GetStreamCaps(index, &mediaType, reinterpret_cast<BYTE*>(m_caps)) != S_OK ||
        mediaType == nullptr) {
        return false;
    }
    VIDEOINFOHEADER* info = VideoInfoOf(mediaType);
    if (info == nullptr) {
        DeleteMediaType(mediaType);
        return false;
    }
    *view = CapabilityView{index, mediaType, info, m_caps};
    return true;
}
