// The general-purpose libraries the converters are measured against, each
// present only when its development package was found at build time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Peer {
    std::string id;    // short key, e.g. "opencv-gray"
    std::string name;  // what the table shows
    std::function<void()> run;  // converts one prepared frame
};

// Peers that convert a W x H frame; buffers are owned by the returned
// functions. Peers whose library is missing, or that fail the check that they
// decode an RGGB mosaic the right way round, are listed in `skipped`.
std::vector<Peer> MakePeers(std::uint32_t width, std::uint32_t height,
                            std::vector<std::string>& skipped);
