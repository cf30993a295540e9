// Deflate level for backup archives: time and size per level on data shaped
// like an Outlook data file, written through libzip as the archive layer does.
//
//   bench/archive_level.sh [MiB] [extra files...]
//
// The sample is a mix of 8 KiB blocks: message text and HTML passed through a
// byte substitution (how a data file with the default "compressible"
// encoding stores it), attachments that are already compressed, index and
// property pages of small structured records, and free (zeroed) pages.
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr std::size_t kBlock = 8192;

const char* const kWords[] = {
    "the", "of", "and", "to", "a", "in", "for", "is", "on", "that", "by", "this", "with", "you", "it", "not", "or",
    "be", "are", "from", "at", "as", "your", "all", "have", "new", "more", "an", "was", "we", "will", "can", "us",
    "about", "if", "my", "has", "but", "our", "one", "other", "do", "no", "information", "time", "they", "meeting",
    "please", "project", "report", "attached", "thanks", "regards", "schedule", "budget", "review", "team", "client",
    "Monday", "Friday", "deadline", "invoice", "proposal", "update", "call", "office", "contract", "quarter", "sales",
    "would", "could", "should", "need", "find", "below", "draft", "version", "comments", "approval", "customer"};

// Earlier messages, quoted again by the replies that follow them.
std::vector<std::string> gThread;

std::string textBlock(std::mt19937& rng, bool html) {
    // Word frequencies follow a rough Zipf law, as in real mail; most
    // replies quote an earlier message of their thread.
    std::string s;
    const std::size_t nWords = sizeof(kWords) / sizeof(kWords[0]);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    auto words = [&](std::size_t until) {
        while (s.size() < until) {
            std::size_t w = static_cast<std::size_t>(std::pow(u(rng), 2.5) * nWords);
            s += kWords[std::min(w, nWords - 1)];
            double r = u(rng);
            if (r < 0.06)
                s += html ? ".</p><p class=MsoNormal>" : ".\r\n";
            else if (r < 0.1)
                s += ", ";
            else
                s += ' ';
        }
    };
    if (html) s += "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=us-ascii\"></head><body><p class=MsoNormal>";
    s += "From: Jane Miller <jane.miller@example.com>\r\nTo: team@example.com\r\nSubject: RE: ";
    words(static_cast<std::size_t>(kBlock * (0.2 + 0.5 * u(rng))));
    const std::string mine = s;
    if (!gThread.empty() && u(rng) < 0.6) {
        s += html ? "<div style='border:none;border-top:solid #E1E1E1 1.0pt;padding:3.0pt 0in 0in 0in'>" : "\r\n> ";
        s += gThread[static_cast<std::size_t>(u(rng) * gThread.size())];
    }
    words(kBlock);
    if (gThread.size() < 64)
        gThread.push_back(mine);
    else
        gThread[static_cast<std::size_t>(u(rng) * 64)] = mine;
    s.resize(kBlock);
    return s;
}

std::string indexBlock(std::mt19937& rng, std::uint64_t& nextId) {
    std::string s(kBlock, '\0');
    std::uniform_int_distribution<int> small(0, 255);
    for (std::size_t off = 0; off + 24 <= kBlock - 16; off += 24) {
        std::uint64_t id = nextId += 4 + static_cast<unsigned>(small(rng) & 7);
        std::uint64_t offset = id * 64;
        std::uint32_t size = static_cast<std::uint32_t>(small(rng) * 16 + 64);
        std::memcpy(&s[off], &id, 8);
        std::memcpy(&s[off + 8], &offset, 8);
        std::memcpy(&s[off + 16], &size, 4);
        s[off + 20] = static_cast<char>(small(rng) & 3);
    }
    for (std::size_t i = kBlock - 16; i < kBlock; ++i) s[i] = static_cast<char>(small(rng));
    return s;
}

std::string propertyBlock(std::mt19937& rng) {
    static const std::uint32_t tags[] = {0x0037001F, 0x1000001F, 0x0E060040, 0x0C1A001F, 0x0E070003, 0x3001001F,
                                         0x0E080003, 0x0FF90102, 0x0E1B000B, 0x0039001F, 0x3FF1001F};
    std::string s;
    std::uniform_int_distribution<int> pick(0, sizeof(tags) / sizeof(tags[0]) - 1), v(0, 65535);
    while (s.size() < kBlock) {
        std::uint32_t tag = tags[pick(rng)];
        std::uint32_t value = static_cast<std::uint32_t>(v(rng)) & 0x0FFF;
        s.append(reinterpret_cast<const char*>(&tag), 4);
        s.append(reinterpret_cast<const char*>(&value), 4);
    }
    s.resize(kBlock);
    return s;
}

std::string makeSample(std::size_t bytes) {
    std::mt19937 rng(20261208);
    // Compressible encryption: one fixed byte permutation.
    std::vector<unsigned char> permute(256);
    for (int i = 0; i < 256; ++i) permute[i] = static_cast<unsigned char>(i);
    std::shuffle(permute.begin(), permute.end(), rng);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::uint64_t nextId = 0x2000;
    std::string out;
    out.reserve(bytes);
    while (out.size() < bytes) {
        double r = u(rng);
        std::string b;
        if (r < 0.40) {
            b = textBlock(rng, u(rng) < 0.5);
            for (char& c : b) c = static_cast<char>(permute[static_cast<unsigned char>(c)]);
        } else if (r < 0.70) {
            b.resize(kBlock);  // attachment already compressed (JPEG, ZIP, PDF streams)
            for (std::size_t i = 0; i < kBlock; i += 4) {
                std::uint32_t x = rng();
                std::memcpy(&b[i], &x, 4);
            }
        } else if (r < 0.80) {
            b = indexBlock(rng, nextId);
        } else if (r < 0.90) {
            b = propertyBlock(rng);
        } else {
            b.assign(kBlock, '\0');
        }
        out += b;
    }
    out.resize(bytes);
    return out;
}

struct Result {
    double seconds = 0;
    std::uint64_t size = 0;
};

Result compress(const std::vector<std::string>& inputs, int level, const std::string& path) {
    Result best;
    for (int round = 0; round < 2; ++round) {
        std::remove(path.c_str());
        int err = 0;
        zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
        if (!za) std::exit(1);
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            zip_source_t* s = zip_source_buffer(za, inputs[i].data(), inputs[i].size(), 0);
            zip_int64_t idx = zip_file_add(za, ("entry" + std::to_string(i)).c_str(), s, 0);
            zip_set_file_compression(za, static_cast<zip_uint64_t>(idx), ZIP_CM_DEFLATE, static_cast<zip_uint32_t>(level));
        }
        auto t0 = std::chrono::steady_clock::now();
        if (zip_close(za) != 0) std::exit(1);
        double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::ifstream f(path, std::ios::binary | std::ios::ate);
        Result r{secs, static_cast<std::uint64_t>(f.tellg())};
        if (round == 0 || r.seconds < best.seconds) best = r;
    }
    std::remove(path.c_str());
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    std::vector<std::string> inputs{makeSample(mib << 20)};
    for (int i = 2; i < argc; ++i) {
        std::ifstream f(argv[i], std::ios::binary);
        std::ostringstream ss;
        ss << f.rdbuf();
        inputs.push_back(ss.str());
    }
    std::uint64_t total = 0;
    for (const auto& s : inputs) total += s.size();
    const std::string path = "/tmp/qm-archive-level-" + std::to_string(::getpid()) + ".zip";
    std::printf("input %.1f MiB in %zu entr%s\n", total / 1048576.0, inputs.size(), inputs.size() == 1 ? "y" : "ies");
    std::printf("level   size (bytes)   ratio   seconds   MiB/s\n");
    for (int level = 1; level <= 9; ++level) {
        Result r = compress(inputs, level, path);
        std::printf("%5d %14llu  %6.4f  %8.3f  %6.1f\n", level, static_cast<unsigned long long>(r.size),
                    static_cast<double>(r.size) / static_cast<double>(total), r.seconds, total / 1048576.0 / r.seconds);
    }
    return 0;
}
