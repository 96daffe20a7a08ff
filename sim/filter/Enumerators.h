// The pin and media type enumerators of the capture filter: one pin, and the
// one media type the pin connects with.
#pragma once

#include <windows.h>
#include <dshow.h>

namespace zkvfilter {

HRESULT CreatePinEnumerator(IPin* pin, IEnumPins** enumerator);
// Takes a copy of mt.
HRESULT CreateMediaTypeEnumerator(const AM_MEDIA_TYPE& mt, IEnumMediaTypes** enumerator);

}  // namespace zkvfilter
