#include "Peers.h"

#include "AlignedBytes.h"

#include <cstring>
#include <memory>

#ifdef ZKV_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/core/version.hpp>
#include <opencv2/imgproc.hpp>
#endif
#ifdef ZKV_BENCH_LIBYUV
#include <libyuv.h>
#endif
#ifdef ZKV_BENCH_SWSCALE
extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
#include <libswscale/version.h>
}
#endif

namespace {

using Bytes = std::shared_ptr<AlignedBytes>;

Bytes Filled(std::size_t count, std::uint32_t seed) {
    auto bytes = std::make_shared<AlignedBytes>(count, 0);
    for (auto& b : *bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    return bytes;
}

// A small RGGB mosaic of red 200, green 100, blue 10: a peer that decodes the
// same mosaic the right way round gives those colours in the middle.
constexpr int kCheckSize = 16;
std::vector<std::uint8_t> CheckMosaic() {
    std::vector<std::uint8_t> mosaic(kCheckSize * kCheckSize);
    for (int r = 0; r < kCheckSize; ++r) {
        for (int x = 0; x < kCheckSize; ++x) {
            const bool evenRow = r % 2 == 0;
            const bool evenColumn = x % 2 == 0;
            mosaic[r * kCheckSize + x] = evenRow && evenColumn ? 200 : !evenRow && !evenColumn ? 10 : 100;
        }
    }
    return mosaic;
}

bool NearColour(const std::uint8_t* pixel, int red, int green, int blue, bool bgr) {
    const int r = bgr ? pixel[2] : pixel[0];
    const int b = bgr ? pixel[0] : pixel[2];
    auto near = [](int a, int b) { return a - b < 4 && b - a < 4; };
    return near(r, red) && near(pixel[1], green) && near(b, blue);
}

#ifdef ZKV_BENCH_OPENCV
const std::string kOpenCv = std::string("OpenCV ") + CV_VERSION;

// The OpenCV code that decodes an RGGB mosaic to `channels` channels: its own
// names for the patterns differ, so the candidates are tried on the check
// mosaic.
int RggbCode(const std::vector<int>& candidates, int channels) {
    const std::vector<std::uint8_t> mosaic = CheckMosaic();
    const cv::Mat in(kCheckSize, kCheckSize, CV_8UC1, const_cast<std::uint8_t*>(mosaic.data()));
    for (int code : candidates) {
        cv::Mat out;
        cv::cvtColor(in, out, code, channels);
        if (NearColour(out.ptr(kCheckSize / 2, kCheckSize / 2), 200, 100, 10, true)) return code;
    }
    return -1;
}

void AddOpenCv(std::vector<Peer>& peers, std::vector<std::string>& skipped, std::uint32_t w,
               std::uint32_t h) {
    cv::setNumThreads(1);
    const int rows = static_cast<int>(h);
    const int cols = static_cast<int>(w);
    {
        auto in = std::make_shared<cv::Mat>(rows, cols, CV_8UC1);
        cv::randu(*in, 0, 256);
        auto out = std::make_shared<cv::Mat>(rows, cols, CV_8UC4);
        peers.push_back({"opencv-gray", kOpenCv + " GRAY2BGRA",
                         [in, out] { cv::cvtColor(*in, *out, cv::COLOR_GRAY2BGRA); }});
    }
    {
        auto in = std::make_shared<cv::Mat>(rows, cols, CV_8UC3);
        cv::randu(*in, 0, 256);
        auto out = std::make_shared<cv::Mat>(rows, cols, CV_8UC4);
        peers.push_back({"opencv-yuv444", kOpenCv + " YUV2BGR, 4 channels",
                         [in, out] { cv::cvtColor(*in, *out, cv::COLOR_YUV2BGR, 4); }});
    }
    auto mosaic = std::make_shared<cv::Mat>(rows, cols, CV_8UC1);
    cv::randu(*mosaic, 0, 256);
    const int bilinear = RggbCode({cv::COLOR_BayerBG2BGRA, cv::COLOR_BayerRG2BGRA}, 4);
    if (bilinear < 0) {
        skipped.push_back(kOpenCv + " Bayer to BGRA: decodes no RGGB mosaic the right way round");
    } else {
        auto out = std::make_shared<cv::Mat>(rows, cols, CV_8UC4);
        peers.push_back({"opencv-bayer", kOpenCv + " Bayer RGGB to BGRA, bilinear",
                         [mosaic, out, bilinear] { cv::cvtColor(*mosaic, *out, bilinear, 4); }});
    }
    const int edgeAware = RggbCode({cv::COLOR_BayerBG2BGR_EA, cv::COLOR_BayerRG2BGR_EA}, 3);
    if (edgeAware < 0) {
        skipped.push_back(kOpenCv + " Bayer EA: decodes no RGGB mosaic the right way round");
    } else {
        auto out = std::make_shared<cv::Mat>(rows, cols, CV_8UC3);
        peers.push_back({"opencv-bayer-ea", kOpenCv + " Bayer RGGB edge-aware (24-bit out)",
                         [mosaic, out, edgeAware] { cv::cvtColor(*mosaic, *out, edgeAware, 3); }});
    }
}
#endif

#ifdef ZKV_BENCH_LIBYUV
void AddLibyuv(std::vector<Peer>& peers, std::uint32_t w, std::uint32_t h) {
    const int width = static_cast<int>(w);
    const int height = static_cast<int>(h);
    auto out = std::make_shared<AlignedBytes>(std::size_t{4} * w * h, 0);
    Bytes grey = Filled(std::size_t{w} * h, 1);
    peers.push_back({"libyuv-j400", "libyuv J400ToARGB", [=] {
                         libyuv::J400ToARGB(grey->data(), width, out->data(), width * 4, width, height);
                     }});
    Bytes uyvy = Filled(std::size_t{2} * w * h, 2);
    peers.push_back({"libyuv-uyvy", "libyuv UYVYToARGB (4:2:2)", [=] {
                         libyuv::UYVYToARGB(uyvy->data(), width * 2, out->data(), width * 4, width, height);
                     }});
}
#endif

#ifdef ZKV_BENCH_SWSCALE
void AddSwscale(std::vector<Peer>& peers, std::vector<std::string>& skipped, std::uint32_t w,
                std::uint32_t h) {
    const int width = static_cast<int>(w);
    const int height = static_cast<int>(h);
    SwsContext* context = sws_getContext(width, height, AV_PIX_FMT_YUV411P, width, height,
                                         AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
    if (!context) {
        skipped.push_back("libswscale: no YUV411P to BGRA context");
        return;
    }
    std::shared_ptr<SwsContext> owner(context, sws_freeContext);
    Bytes planes = Filled(std::size_t{w} * h + 2 * (std::size_t{w} / 4) * h, 3);
    auto out = std::make_shared<AlignedBytes>(std::size_t{4} * w * h, 0);
    const std::string name = "libswscale " + std::to_string(LIBSWSCALE_VERSION_MAJOR) + "." +
                             std::to_string(LIBSWSCALE_VERSION_MINOR) + " YUV411P to BGRA";
    peers.push_back({"swscale-411", name, [=] {
                         const std::uint8_t* source[3] = {planes->data(), planes->data() + std::size_t{w} * h,
                                                          planes->data() + std::size_t{w} * h + (w / 4) * h};
                         const int strides[3] = {width, width / 4, width / 4};
                         std::uint8_t* target[1] = {out->data()};
                         const int targetStrides[1] = {width * 4};
                         sws_scale(owner.get(), source, strides, 0, height, target, targetStrides);
                     }});
}
#endif

}  // namespace

std::vector<Peer> MakePeers(std::uint32_t width, std::uint32_t height,
                            std::vector<std::string>& skipped) {
    std::vector<Peer> peers;
#ifdef ZKV_BENCH_OPENCV
    AddOpenCv(peers, skipped, width, height);
#else
    skipped.push_back("OpenCV: not found at build time (libopencv-dev)");
#endif
#ifdef ZKV_BENCH_LIBYUV
    AddLibyuv(peers, width, height);
#else
    skipped.push_back("libyuv: not found at build time (libyuv-dev)");
#endif
#ifdef ZKV_BENCH_SWSCALE
    AddSwscale(peers, skipped, width, height);
#else
    skipped.push_back("libswscale: not found at build time (libswscale-dev)");
#endif
    return peers;
}
