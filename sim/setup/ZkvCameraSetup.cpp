// Installs and removes the virtual cameras in the registry view of its own
// architecture:
//   ZkvCameraSetup install <ZkvVirtualCamera.ax> [count] [--kinds k1,k2,...]
//       [--serial device:number] [--fault device:point:key:hr]...
//       [--withhold device:Interface,...] [--no-format7 device:mode,...]
//       [--no-trigger device] [--no-one-push device] [--no-channels device]
//       [--start device:FOURCC:WIDTHxHEIGHT[@fps]]
//   ZkvCameraSetup uninstall <ZkvVirtualCamera.ax>
//   ZkvCameraSetup live <device|serial> fault <point:key:hr>
//   ZkvCameraSetup live <device|serial> clear
// Device numbers start at 1; --fault takes every fault point, the
// device-level ones (load, join_filter_graph, pin_connect, pause, run) with
// the key "any". Install registers the module's class (its
// DllRegisterServer) and then replaces its devices with the ones described.
// "live" changes the live fault table of a camera that a process has open
// right now: a number that names a registered device stands for its serial
// number, any other number is a serial number.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "DeviceKinds.h"
#include "CameraModel.h"
#include "DeviceRegistration.h"
#include "LiveFaults.h"

namespace {

using RegisterEntry = HRESULT(STDAPICALLTYPE*)();

int Usage() {
    std::fprintf(stderr,
                 "usage: ZkvCameraSetup install <module> [count] [--kinds k,...] [--serial n:serial]\n"
                 "                      [--fault n:point:key:hr] [--withhold n:Interface,...] [--no-format7 n:modes]\n"
                 "                      [--no-trigger n] [--no-one-push n] [--no-channels n]\n"
                 "                      [--start n:FOURCC:WIDTHxHEIGHT[@fps]]\n"
                 "       ZkvCameraSetup uninstall <module>\n"
                 "       ZkvCameraSetup live <n|serial> fault <point:key:hr> | clear\n"
                 "points: property_get property_set register_get register_set format7_get format7_set\n"
                 "        buffer_count_get buffer_count_set procamp_get_range procamp_get procamp_set\n"
                 "        stream_get_format stream_set_format stream_get_number_of_caps stream_get_stream_caps\n"
                 "        load join_filter_graph pin_connect pause run (these five: key any)\n"
                 "        drop_frames (key n: every n-th frame) deliver (key: frame number)\n");
    return 2;
}

HRESULT CallModule(const char* module, const char* entry) {
    HMODULE library = LoadLibraryA(module);
    if (!library) return HRESULT_FROM_WIN32(GetLastError());
    auto function = reinterpret_cast<RegisterEntry>(reinterpret_cast<void*>(GetProcAddress(library, entry)));
    const HRESULT hr = function ? function() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    FreeLibrary(library);
    return hr;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::string::size_type start = 0;
    for (;;) {
        const auto comma = text.find(',', start);
        items.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) return items;
        start = comma + 1;
    }
}

// Parses the options after "install <module>" into the device list.
bool ParseInstall(int argc, char** argv, std::vector<zkvsim::DeviceSettings>* devices) {
    int i = 3;
    std::uint32_t count = 3;
    if (i < argc && argv[i][0] != '-') {
        char* end = nullptr;
        const unsigned long n = std::strtoul(argv[i], &end, 10);
        if (*end || n == 0 || n > 64) return false;
        count = static_cast<std::uint32_t>(n);
        ++i;
    }
    *devices = zkvfilter::DefaultDevices(count);
    const struct {
        const char* option;
        std::uint32_t lacks;
    } missing[] = {{"--no-trigger", zkvsim::kLacksTrigger},
                   {"--no-one-push", zkvsim::kLacksOnePush},
                   {"--no-channels", zkvsim::kLacksMemoryChannels}};
    for (; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        std::uint32_t lacks = 0;
        for (const auto& m : missing) {
            if (option == m.option) lacks = m.lacks;
        }
        if (lacks) {
            char* end = nullptr;
            const unsigned long device = std::strtoul(value.c_str(), &end, 10);
            if (value.empty() || *end || device == 0 || device > devices->size()) return false;
            (*devices)[device - 1].lacks |= lacks;
            continue;
        }
        if (option == "--kinds") {
            const std::vector<std::string> kinds = SplitList(value);
            if (kinds.size() > devices->size()) return false;
            for (std::size_t k = 0; k < kinds.size(); ++k) {
                if (!zkvsim::FindDeviceKind(kinds[k])) return false;
                (*devices)[k].kind = kinds[k];
            }
            continue;
        }
        std::uint32_t device = 0;
        std::string rest;
        if (!zkvsim::SplitDeviceOption(value, &device, &rest) || device > devices->size()) return false;
        zkvsim::DeviceSettings& d = (*devices)[device - 1];
        if (option == "--fault") {
            zkvsim::FaultSpec fault{};
            if (!zkvsim::ParseFault(rest, &fault)) return false;
            d.faults.push_back(fault);
        } else if (option == "--withhold") {
            std::uint32_t withheld = 0;
            if (!zkvsim::ParseWithheldList(rest, &withheld)) return false;
            d.withheld |= withheld;
        } else if (option == "--no-format7") {
            std::vector<std::uint32_t> modes;
            if (!zkvsim::ParseModeList(rest, &modes)) return false;
            d.format7Unavailable.insert(d.format7Unavailable.end(), modes.begin(), modes.end());
        } else if (option == "--start") {
            if (!zkvsim::ParseStartFormat(rest, &d.start) || !d.start.given) return false;
        } else if (option == "--serial") {
            char* end = nullptr;
            const unsigned long serial = std::strtoul(rest.c_str(), &end, 0);
            if (rest.empty() || *end || serial == 0 || serial > 0xFFFFFFFFul) return false;
            d.serialNumber = static_cast<std::uint32_t>(serial);
        } else {
            return false;
        }
    }
    // A start format the kind does not offer would leave the camera in its
    // default one unseen: refuse it here.
    for (const zkvsim::DeviceSettings& d : *devices) {
        if (!d.start.given) continue;
        const zkvsim::CameraModel model(*zkvsim::FindDeviceKind(d.kind), 1);
        if (zkvsim::Failed(model.CheckStreamFormat(zkvsim::StreamFormatOf(d.start)))) return false;
    }
    return true;
}

// live <device|serial> fault <point:key:hr> | clear
int Live(int argc, char** argv) {
    const std::string action = argc > 3 ? argv[3] : "";
    zkvsim::FaultSpec fault{};
    if (!(action == "clear" && argc == 4) && !(action == "fault" && argc == 5 && zkvsim::ParseFault(argv[4], &fault))) {
        return Usage();
    }
    char* end = nullptr;
    const unsigned long number = std::strtoul(argv[2], &end, 10);
    if (!*argv[2] || *end || number == 0 || number > 0xFFFFFFFFul) return Usage();
    std::uint32_t serial = static_cast<std::uint32_t>(number);
    if (zkvfilter::RegisteredSerialNumber(serial, &serial) != S_OK) serial = static_cast<std::uint32_t>(number);
    HRESULT hr = S_OK;
    std::unique_ptr<zkvfilter::LiveFaultSection> table = zkvfilter::LiveFaultSection::Open(serial, false, &hr);
    if (table) hr = action == "clear" ? table->Clear() : table->Add(fault);
    if (FAILED(hr)) {
        std::fprintf(stderr, "ZkvCameraSetup live: camera %u: 0x%08lx%s\n", static_cast<unsigned>(serial),
                     static_cast<unsigned long>(hr), table ? "" : " (no process has it open)");
        return 1;
    }
    std::printf("camera %u: live faults %s\n", static_cast<unsigned>(serial), action == "clear" ? "cleared" : "set");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    if (command == "live") return Live(argc, argv);
    const char* module = argv[2];
    HRESULT hr = E_FAIL;
    if (command == "install") {
        std::vector<zkvsim::DeviceSettings> devices;
        if (!ParseInstall(argc, argv, &devices)) return Usage();
        hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (FAILED(hr)) return 1;
        hr = CallModule(module, "DllRegisterServer");
        if (SUCCEEDED(hr)) hr = zkvfilter::RegisterDevices(devices);
        CoUninitialize();
        if (SUCCEEDED(hr)) std::printf("installed %u virtual camera(s)\n", static_cast<unsigned>(devices.size()));
    } else if (command == "uninstall") {
        hr = CallModule(module, "DllUnregisterServer");
    } else {
        return Usage();
    }
    if (FAILED(hr)) {
        std::fprintf(stderr, "ZkvCameraSetup %s failed: 0x%08lx\n", command.c_str(), static_cast<unsigned long>(hr));
        return 1;
    }
    return 0;
}
