// The message table: each message value, compared exactly, names its handler.
#include "DriverProc.h"

#include "CodecInfo.h"
#include "CodecInstance.h"
#include "convert/Decompress.h"
#include "negotiation/DecompressNegotiation.h"

namespace {

struct DriverMessage {
    DWORD_PTR driverId;
    HDRVR driver;
    UINT message;
    LPARAM lParam1;
    LPARAM lParam2;

    CodecInstance* Instance() const { return CodecInstanceFromDriverId(driverId); }
    const BITMAPINFOHEADER* Format1() const {
        return reinterpret_cast<const BITMAPINFOHEADER*>(lParam1);
    }
    const BITMAPINFOHEADER* Format2() const {
        return reinterpret_cast<const BITMAPINFOHEADER*>(lParam2);
    }
};

using MessageHandler = LRESULT (*)(const DriverMessage&);

struct MessageEntry {
    UINT message;
    MessageHandler handler;
};

LRESULT One(const DriverMessage&) { return 1; }
LRESULT Zero(const DriverMessage&) { return 0; }
LRESULT BadFormat(const DriverMessage&) { return ICERR_BADFORMAT; }
LRESULT Error(const DriverMessage&) { return ICERR_ERROR; }
LRESULT Unsupported(const DriverMessage&) { return ICERR_UNSUPPORTED; }

// Without open parameters the manager only wants to talk to the driver: no
// instance, and the id that stands for none.
LRESULT Open(const DriverMessage& m) {
    if (!m.lParam2) return static_cast<LRESULT>(kNoInstanceDriverId);
    return OpenCodecInstance(reinterpret_cast<ICOPEN*>(m.lParam2));
}

LRESULT Close(const DriverMessage& m) {
    CloseCodecInstance(m.driverId);
    return 1;
}

LRESULT GetInfo(const DriverMessage& m) {
    return GetCodecInfo(m.Instance(), reinterpret_cast<ICINFO*>(m.lParam1), m.lParam2);
}
LRESULT Configure(const DriverMessage& m) { return ConfigureCodec(m.lParam1); }
LRESULT About(const DriverMessage& m) { return AboutCodec(m.lParam1); }
LRESULT DefaultQuality(const DriverMessage& m) {
    return GetDefaultQuality(reinterpret_cast<DWORD*>(m.lParam1));
}

LRESULT Query(const DriverMessage& m) {
    return DecompressQuery(m.Instance(), m.Format1(), m.Format2());
}
LRESULT GetFormat(const DriverMessage& m) {
    return DecompressGetFormat(m.Instance(), m.Format1(),
                               reinterpret_cast<BITMAPINFOHEADER*>(m.lParam2));
}
LRESULT Begin(const DriverMessage& m) {
    return DecompressBegin(m.Instance(), m.Format1(), m.Format2());
}
LRESULT End(const DriverMessage& m) { return DecompressEnd(m.Instance()); }
LRESULT GetPalette(const DriverMessage& m) {
    return DecompressGetPalette(m.Instance(), m.Format1(), m.Format2());
}
LRESULT DecompressFrame(const DriverMessage& m) {
    return Decompress(m.Instance(), reinterpret_cast<const ICDECOMPRESS*>(m.lParam1));
}

constexpr MessageEntry kMessageTable[] = {
    {DRV_LOAD, One},
    {DRV_ENABLE, One},
    {DRV_DISABLE, One},
    {DRV_FREE, One},
    {DRV_OPEN, Open},
    {DRV_CLOSE, Close},
    {DRV_CONFIGURE, One},
    {DRV_QUERYCONFIGURE, Zero},
    {DRV_INSTALL, One},
    {DRV_REMOVE, One},
    {ICM_COMPRESS_GET_FORMAT, BadFormat},
    {ICM_COMPRESS_QUERY, BadFormat},
    {ICM_COMPRESS_GET_SIZE, Zero},
    {ICM_COMPRESS_BEGIN, Error},
    {ICM_COMPRESS, Error},
    {ICM_COMPRESS_END, Error},
    {ICM_DECOMPRESS_GET_FORMAT, GetFormat},
    {ICM_DECOMPRESS_QUERY, Query},
    {ICM_DECOMPRESS_BEGIN, Begin},
    {ICM_DECOMPRESS_END, End},
    {ICM_DECOMPRESS_GET_PALETTE, GetPalette},
    {ICM_DECOMPRESS, DecompressFrame},
    {ICM_DRAW_BEGIN, Unsupported},
    {ICM_DRAW_START, Unsupported},
    {ICM_DRAW_STOP, Unsupported},
    {ICM_DRAW_END, Unsupported},
    {ICM_DRAW_QUERY, Unsupported},
    {ICM_DRAW, Unsupported},
    {ICM_DRAW_WINDOW, Unsupported},
    {ICM_GETSTATE, Zero},
    {ICM_SETSTATE, Zero},
    {ICM_GETINFO, GetInfo},
    {ICM_CONFIGURE, Configure},
    {ICM_ABOUT, About},
    {ICM_GETDEFAULTQUALITY, DefaultQuality},
};

}  // namespace

extern "C" LRESULT CALLBACK DriverProc(DWORD_PTR driverId, HDRVR driver, UINT message,
                                       LPARAM lParam1, LPARAM lParam2) {
    const DriverMessage m{driverId, driver, message, lParam1, lParam2};
    for (const MessageEntry& entry : kMessageTable) {
        if (entry.message == message) return entry.handler(m);
    }
    if (message < DRV_USER) return CodecDefDriverProc(driverId, driver, message, lParam1, lParam2);
    return ICERR_UNSUPPORTED;
}
