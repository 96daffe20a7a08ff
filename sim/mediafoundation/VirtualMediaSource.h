// The virtual IIDC camera as a Media Foundation media source: one live video
// stream that serves the camera model's frames, packed in any FOURCC of the
// camera, so that a source reader or a topology can be built over it without
// hardware.
#pragma once

#include <cstdint>

#include <mfidl.h>

// The frames' spacing: the camera's 30 frames per second, in 100 ns units.
constexpr LONGLONG kVirtualFrameDuration = 333333;

// A source whose stream serves the camera's frames in `fourcc` (any FOURCC of
// the camera) at width x height; that is the stream's one type, so that a
// reader has to decode that very format. Sample n carries frame n
// of the scene (time n x kVirtualFrameDuration); a Bayer frame is laid out in
// the tile its FOURCC names.
HRESULT CreateVirtualMediaSource(std::uint32_t fourcc, std::uint32_t width, std::uint32_t height,
                                 IMFMediaSource** ppSource);

// The bytes of frame `frame` in `fourcc`, as the source serves them; 0 when
// the format or size is not one of the camera's or `capacity` is too small.
std::size_t PackVirtualFrame(std::uint32_t fourcc, std::uint32_t width, std::uint32_t height,
                             std::uint64_t frame, std::uint8_t* out, std::size_t capacity);
