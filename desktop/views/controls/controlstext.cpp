#include "controlstext.h"

#include <mutex>

namespace controlstext {
namespace {

std::mutex& lookupMutex() {
    static std::mutex mutex;
    return mutex;
}

Lookup& currentLookup() {
    static Lookup lookup;
    return lookup;
}

} // namespace

void setLookup(Lookup lookup) {
    std::lock_guard<std::mutex> lock(lookupMutex());
    currentLookup() = std::move(lookup);
}

QString localized(const QString& key) {
    Lookup lookup;
    {
        std::lock_guard<std::mutex> lock(lookupMutex());
        lookup = currentLookup();
    }
    return lookup ? lookup(key) : key;
}

} // namespace controlstext
