// Our DirectShow base layer: COM objects, class factory and class table,
// registration, the DLL entry, property pages, the filter and pin bases with
// their enumerators, media type helpers and an owning interface pointer.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "BaseFilter.h"
#include "BasePin.h"
#include "ClassFactory.h"
#include "ComBase.h"
#include "ComPtr.h"
#include "CritSec.h"
#include "DllEntry.h"
#include "DllSetup.h"
#include "Enumerators.h"
#include "MediaType.h"
#include "PropertyPage.h"
