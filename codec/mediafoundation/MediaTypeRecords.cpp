#include "mediafoundation/MediaTypeRecords.h"

GUID FourccSubtype(std::uint32_t fourcc) {
    GUID subtype = MFVideoFormat_Base;
    subtype.Data1 = fourcc;
    return subtype;
}

void ReadVideoType(IMFMediaType* type, VideoTypeRecord* record) {
    *record = VideoTypeRecord{};
    GUID major = GUID_NULL;
    record->video = SUCCEEDED(type->GetGUID(MF_MT_MAJOR_TYPE, &major)) &&
                    IsEqualGUID(major, MFMediaType_Video);
    GUID subtype = GUID_NULL;
    if (SUCCEEDED(type->GetGUID(MF_MT_SUBTYPE, &subtype))) {
        record->fourccSubtype = IsEqualGUID(FourccSubtype(subtype.Data1), subtype);
        record->subtype = subtype.Data1;
    }
    record->hasFrameSize =
        SUCCEEDED(MFGetAttributeSize(type, MF_MT_FRAME_SIZE, &record->width, &record->height));
    record->hasFrameRate = SUCCEEDED(MFGetAttributeRatio(type, MF_MT_FRAME_RATE,
                                                         &record->rateNumerator,
                                                         &record->rateDenominator));
    UINT32 stride = 0;
    record->hasStride = SUCCEEDED(type->GetUINT32(MF_MT_DEFAULT_STRIDE, &stride));
    record->stride = static_cast<std::int32_t>(stride);
}

HRESULT CreateVideoType(const VideoTypeRecord& record, std::uint32_t sampleSize,
                        IMFMediaType** type) {
    *type = NULL;
    IMFMediaType* created = NULL;
    HRESULT hr = MFCreateMediaType(&created);
    if (FAILED(hr)) return hr;
    hr = created->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
    if (SUCCEEDED(hr)) hr = created->SetGUID(MF_MT_SUBTYPE, FourccSubtype(record.subtype));
    if (SUCCEEDED(hr) && record.hasFrameSize) {
        hr = MFSetAttributeSize(created, MF_MT_FRAME_SIZE, record.width, record.height);
        if (SUCCEEDED(hr)) hr = created->SetUINT32(MF_MT_SAMPLE_SIZE, sampleSize);
        if (SUCCEEDED(hr)) hr = created->SetUINT32(MF_MT_FIXED_SIZE_SAMPLES, TRUE);
        if (SUCCEEDED(hr)) hr = created->SetUINT32(MF_MT_ALL_SAMPLES_INDEPENDENT, TRUE);
        if (SUCCEEDED(hr)) hr = created->SetUINT32(MF_MT_INTERLACE_MODE, MFVideoInterlace_Progressive);
        if (SUCCEEDED(hr)) hr = MFSetAttributeRatio(created, MF_MT_PIXEL_ASPECT_RATIO, 1, 1);
    }
    if (SUCCEEDED(hr) && record.hasFrameRate) {
        hr = MFSetAttributeRatio(created, MF_MT_FRAME_RATE, record.rateNumerator,
                                 record.rateDenominator);
    }
    if (SUCCEEDED(hr) && record.hasStride) {
        hr = created->SetUINT32(MF_MT_DEFAULT_STRIDE, static_cast<UINT32>(record.stride));
    }
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *type = created;
    return S_OK;
}
