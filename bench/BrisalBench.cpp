// Times each of the codec's converters, at every instruction level this
// processor has, side by side with the general-purpose libraries (Peers.h)
// and with the floors of the output (memset and memcpy of 4 x W x H bytes),
// single-threaded, at four frame sizes; the median of five repetitions, in
// the thread's CPU time, so that time the thread spends descheduled on a
// shared machine does not count.
// Ends with a table per size: ms per frame, ns per pixel, the ratio to the
// fastest peer of the same conversion and to the memset floor; then the same
// figures as "plot," lines (conversion, series, pixels, ns per pixel) for
// bench/plot.py.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "AlignedBytes.h"
#include "Peers.h"
#include "convert/simd/SimdConverters.h"
#include "negotiation/FourccTable.h"

namespace {

struct Size {
    std::uint32_t width;
    std::uint32_t height;
    std::string Name() const { return std::to_string(width) + "x" + std::to_string(height); }
    double Pixels() const { return static_cast<double>(width) * height; }
};

struct Conversion {
    const char* title;
    ConverterKind kind;
    std::vector<std::string> peers;  // peer ids, in Peers.cpp
};

const std::vector<Conversion> kConversions = {
    {"Mono8: 8-bit grey to BGRA", ConverterKind::Mono8, {"opencv-gray", "libyuv-j400"}},
    {"Mono16: 16-bit grey to BGRA", ConverterKind::Mono16, {"opencv-gray", "libyuv-j400"}},
    {"Yuv444: packed 4:4:4", ConverterKind::Yuv444, {"opencv-yuv444", "libyuv-uyvy"}},
    {"Yuv411: packed 4:1:1", ConverterKind::Yuv411, {"swscale-411", "libyuv-uyvy"}},
    {"BayerFast (RGGB)", ConverterKind::BayerFast, {"opencv-bayer"}},
    {"BayerNearest (RGGB)", ConverterKind::BayerNearest, {"opencv-bayer"}},
    {"BayerEdge (RGGB)", ConverterKind::BayerEdge, {"opencv-bayer", "opencv-bayer-ea"}},
};

const char* const kKindNames[kConverterKindCount] = {
    "Mono8", "Mono16", "Yuv444", "Yuv411", "BayerFast", "BayerNearest", "BayerEdge",
};

const FourccFormat& FormatOf(ConverterKind kind) {
    for (const FourccFormat& format : kAcceptedFormats) {
        if (format.kind == kind) return format;
    }
    return kAcceptedFormats[0];
}

// Median CPU time (ms) of each benchmark, by name.
std::map<std::string, double> gMedians;

class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.aggregate_name == "median") gMedians[run.run_name.function_name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

benchmark::internal::Benchmark* Configure(benchmark::internal::Benchmark* b) {
    return b->Unit(benchmark::kMillisecond)->MinTime(0.2)->Repetitions(5)
        ->ReportAggregatesOnly(true);
}

std::string OursName(ConverterKind kind, CpuLevel level, const Size& size) {
    return std::string("ours/") + kKindNames[static_cast<int>(kind)] + "/" + CpuLevelName(level) + "/" +
           size.Name();
}

void RegisterSize(const Size& size, std::map<std::string, std::string>& peerNames,
                  std::vector<std::string>& skipped) {
    const std::size_t outBytes = std::size_t{4} * size.width * size.height;
    auto out = std::make_shared<AlignedBytes>(outBytes, 0);
    auto copySource = std::make_shared<AlignedBytes>(outBytes, 1);
    Configure(benchmark::RegisterBenchmark(("floor/memset/" + size.Name()).c_str(), [out](benchmark::State& state) {
        for (auto _ : state) {
            std::memset(out->data(), 0, out->size());
            benchmark::ClobberMemory();
        }
    }));
    Configure(benchmark::RegisterBenchmark(("floor/memcpy/" + size.Name()).c_str(),
                                           [out, copySource](benchmark::State& state) {
        for (auto _ : state) {
            std::memcpy(out->data(), copySource->data(), out->size());
            benchmark::ClobberMemory();
        }
    }));

    for (const Conversion& conversion : kConversions) {
        const FourccFormat& format = FormatOf(conversion.kind);
        auto header = std::make_shared<BITMAPINFOHEADER>();
        header->biSize = sizeof(BITMAPINFOHEADER);
        header->biWidth = static_cast<LONG>(size.width);
        header->biHeight = static_cast<LONG>(size.height);
        header->biBitCount = format.bitCount;
        header->biCompression = format.fourcc;
        auto frame = std::make_shared<AlignedBytes>(
            static_cast<std::size_t>(FrameByteCount(format, size.width, size.height)), 0);
        std::uint32_t seed = 7;
        for (auto& b : *frame) {
            seed = seed * 1103515245u + 12345u;
            b = static_cast<std::uint8_t>(seed >> 16);
        }
        const DWORD tile = static_cast<DWORD>(format.tile == BayerTile::None ? BayerTile::None : BayerTile::RGGB);
        for (int level = 0; level <= static_cast<int>(DetectCpuLevel()); ++level) {
            const FrameConverter convert =
                ConvertersForLevel(static_cast<CpuLevel>(level))[static_cast<int>(conversion.kind)];
            Configure(benchmark::RegisterBenchmark(
                OursName(conversion.kind, static_cast<CpuLevel>(level), size).c_str(),
                [=](benchmark::State& state) {
                    for (auto _ : state) {
                        convert(header.get(), frame->data(), header.get(), out->data(), tile);
                        benchmark::ClobberMemory();
                    }
                }));
        }
    }

    std::vector<std::string> sizeSkipped;
    for (const Peer& peer : MakePeers(size.width, size.height, sizeSkipped)) {
        peerNames[peer.id] = peer.name;
        const std::function<void()> run = peer.run;
        Configure(benchmark::RegisterBenchmark(("peer/" + peer.id + "/" + size.Name()).c_str(),
                                               [run](benchmark::State& state) {
            for (auto _ : state) {
                run();
                benchmark::ClobberMemory();
            }
        }));
    }
    if (skipped.empty()) skipped = sizeSkipped;
}

double Median(const std::string& name) {
    const auto found = gMedians.find(name);
    return found == gMedians.end() ? -1 : found->second;
}

void PrintRow(const std::string& label, double ms, const Size& size, double fastestPeer, double memset) {
    if (ms < 0) return;
    std::printf("| %-44s | %8.3f | %6.3f | ", label.c_str(), ms, ms * 1e6 / size.Pixels());
    if (fastestPeer > 0) {
        std::printf("%6.2f | ", ms / fastestPeer);
    } else {
        std::printf("%6s | ", "-");
    }
    std::printf("%6.2f |\n", ms / memset);
}

// The codec's own level (the highest), each peer and the memset floor, per
// conversion and size.
void PrintPlotLines(const std::vector<Size>& sizes, const std::map<std::string, std::string>& peerNames) {
    const CpuLevel level = DetectCpuLevel();
    for (const Conversion& conversion : kConversions) {
        const std::string title = kKindNames[static_cast<int>(conversion.kind)];
        for (const Size& size : sizes) {
            const auto line = [&](const std::string& series, double ms) {
                if (ms > 0) std::printf("plot,%s,%s,%.0f,%.4f\n", title.c_str(), series.c_str(), size.Pixels(),
                                        ms * 1e6 / size.Pixels());
            };
            line(std::string("ours ") + CpuLevelName(level), Median(OursName(conversion.kind, level, size)));
            for (const std::string& id : conversion.peers) {
                const auto name = peerNames.find(id);
                if (name != peerNames.end()) line(name->second, Median("peer/" + id + "/" + size.Name()));
            }
            line("memset floor", Median("floor/memset/" + size.Name()));
        }
    }
}

void PrintTable(const std::vector<Size>& sizes, const std::map<std::string, std::string>& peerNames) {
    for (const Size& size : sizes) {
        const double memset = Median("floor/memset/" + size.Name());
        std::printf("\n### %s, single thread, median of 5\n\n", size.Name().c_str());
        std::printf("| %-44s | %8s | %6s | %6s | %6s |\n", "conversion", "ms/frame", "ns/px",
                    "x peer", "x memset");
        std::printf("|%s|---------:|-------:|-------:|-------:|\n", std::string(46, '-').c_str());
        PrintRow("memset of the output (floor)", memset, size, -1, memset);
        PrintRow("memcpy of the output", Median("floor/memcpy/" + size.Name()), size, -1, memset);
        for (const Conversion& conversion : kConversions) {
            double fastestPeer = -1;
            for (const std::string& id : conversion.peers) {
                const double ms = Median("peer/" + id + "/" + size.Name());
                if (ms > 0 && (fastestPeer < 0 || ms < fastestPeer)) fastestPeer = ms;
            }
            std::printf("| **%s** | | | | |\n", conversion.title);
            for (int level = 0; level <= static_cast<int>(DetectCpuLevel()); ++level) {
                const CpuLevel l = static_cast<CpuLevel>(level);
                PrintRow(std::string("  ours, ") + CpuLevelName(l), Median(OursName(conversion.kind, l, size)),
                         size, fastestPeer, memset);
            }
            for (const std::string& id : conversion.peers) {
                const auto name = peerNames.find(id);
                if (name == peerNames.end()) continue;
                PrintRow("  " + name->second, Median("peer/" + id + "/" + size.Name()), size,
                         fastestPeer, memset);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const std::vector<Size> sizes = {{640, 480}, {1280, 960}, {2448, 2048}, {4096, 3000}};
    std::map<std::string, std::string> peerNames;
    std::vector<std::string> skipped;
    for (const Size& size : sizes) RegisterSize(size, peerNames, skipped);
    std::printf("instruction level of this processor: %s\n", CpuLevelName(DetectCpuLevel()));
    for (const std::string& reason : skipped) std::printf("peer skipped: %s\n", reason.c_str());

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(sizes, peerNames);
    std::printf("\n");
    PrintPlotLines(sizes, peerNames);
    benchmark::Shutdown();
    return 0;
}
