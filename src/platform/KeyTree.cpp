#include "platform/KeyTree.h"

#include <algorithm>
#include <chrono>

namespace qm::platform {
namespace {
constexpr std::uint64_t kTicks1601To1970 = 116444736000000000ULL;
}  // namespace

char16_t foldNameUnit(char16_t u) {
    if (u < 0x80) return (u >= 'A' && u <= 'Z') ? static_cast<char16_t>(u + 32) : u;
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char16_t>(u + 32);
    if (u >= 0x100 && u <= 0x137) return static_cast<char16_t>(u | 1);
    if (u >= 0x139 && u <= 0x148) return (u & 1) ? static_cast<char16_t>(u + 1) : u;
    if (u >= 0x14A && u <= 0x177) return static_cast<char16_t>(u | 1);
    if (u == 0x178) return 0xFF;
    if (u >= 0x179 && u <= 0x17E) return (u & 1) ? static_cast<char16_t>(u + 1) : u;
    if (u >= 0x391 && u <= 0x3AB && u != 0x3A2) return static_cast<char16_t>(u + 32);
    if (u >= 0x410 && u <= 0x42F) return static_cast<char16_t>(u + 32);
    if (u >= 0x400 && u <= 0x40F) return static_cast<char16_t>(u + 80);
    if (u >= 0xFF21 && u <= 0xFF3A) return static_cast<char16_t>(u + 32);
    return u;
}

int compareNames(const std::u16string& a, const std::u16string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int d = static_cast<int>(foldNameUnit(a[i])) - static_cast<int>(foldNameUnit(b[i]));
        if (d) return d;
    }
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

RegKey::~RegKey() {
    std::vector<std::shared_ptr<RegKey>> pending = std::move(subkeys);
    while (!pending.empty()) {
        std::shared_ptr<RegKey> key = std::move(pending.back());
        pending.pop_back();
        // A key still held elsewhere (an open handle) keeps its subtree.
        if (key.use_count() != 1) continue;
        for (auto& sub : key->subkeys) pending.push_back(std::move(sub));
        key->subkeys.clear();
    }
}

std::shared_ptr<RegKey> cloneTree(const RegKey& root) {
    auto copyOf = [](const RegKey& from, RegKey* parent) {
        auto to = std::make_shared<RegKey>();
        to->name = from.name;
        to->parent = parent;
        to->values = from.values;
        to->keyClass = from.keyClass;
        to->link = from.link;
        to->modified = from.modified;
        to->listed = from.listed;
        to->touched = from.touched;
        to->stampText = from.stampText;
        to->timeLine = from.timeLine;
        to->otherOptions = from.otherOptions;
        to->deleted = from.deleted;
        to->subkeys.reserve(from.subkeys.size());
        return to;
    };
    auto top = copyOf(root, nullptr);
    std::vector<std::pair<const RegKey*, RegKey*>> pending{{&root, top.get()}};
    while (!pending.empty()) {
        auto [from, to] = pending.back();
        pending.pop_back();
        for (const auto& sub : from->subkeys) {
            to->subkeys.push_back(copyOf(*sub, to));
            pending.emplace_back(sub.get(), to->subkeys.back().get());
        }
    }
    return top;
}

RegKey* RegKey::findSubkey(const std::u16string& n) const {
    auto it = std::lower_bound(
        subkeys.begin(), subkeys.end(), n,
        [](const std::shared_ptr<RegKey>& k, const std::u16string& x) { return compareNames(k->name, x) < 0; });
    if (it != subkeys.end() && compareNames((*it)->name, n) == 0) return it->get();
    return nullptr;
}

RegKey* RegKey::addSubkey(const std::u16string& n, std::uint64_t mod) {
    auto it = std::lower_bound(
        subkeys.begin(), subkeys.end(), n,
        [](const std::shared_ptr<RegKey>& k, const std::u16string& x) { return compareNames(k->name, x) < 0; });
    auto key = std::make_shared<RegKey>();
    key->name = n;
    key->parent = this;
    key->modified = mod;
    return subkeys.insert(it, key)->get();
}

bool RegKey::removeSubkey(const RegKey* child) {
    for (auto it = subkeys.begin(); it != subkeys.end(); ++it) {
        if (it->get() == child) {
            (*it)->deleted = true;
            (*it)->parent = nullptr;
            subkeys.erase(it);
            return true;
        }
    }
    return false;
}

const RegValue* RegKey::findValue(const std::u16string& n) const {
    auto it = std::lower_bound(values.begin(), values.end(), n,
                               [](const RegValue& v, const std::u16string& x) { return compareNames(v.name, x) < 0; });
    if (it != values.end() && compareNames(it->name, n) == 0) return &*it;
    return nullptr;
}

void RegKey::setValue(RegValue value) {
    auto it = std::lower_bound(values.begin(), values.end(), value.name,
                               [](const RegValue& v, const std::u16string& x) { return compareNames(v.name, x) < 0; });
    if (it != values.end() && compareNames(it->name, value.name) == 0) {
        // The stored name keeps the case it was first written with, as in Windows.
        value.name = it->name;
        *it = std::move(value);
    } else {
        values.insert(it, std::move(value));
    }
}

bool RegKey::removeValue(const std::u16string& n) {
    auto it = std::lower_bound(values.begin(), values.end(), n,
                               [](const RegValue& v, const std::u16string& x) { return compareNames(v.name, x) < 0; });
    if (it == values.end() || compareNames(it->name, n) != 0) return false;
    values.erase(it);
    return true;
}

void RegKey::touch() {
    modified = fileTimeNow();
    touched = true;
}

std::uint64_t fileTimeNow() {
    auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
                  .count();
    return kTicks1601To1970 + static_cast<std::uint64_t>(ns / 100);
}

}  // namespace qm::platform
