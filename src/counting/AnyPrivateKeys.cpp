#include "counting/AnyPrivateKeys.h"

#include <algorithm>
#include <utility>

AnyPrivateKeys::AnyPrivateKeys(std::vector<PrivateKeysPort*> sources)
    : sources_(std::move(sources)) {
    for (PrivateKeysPort* source : sources_) {
        source->OnChange([this, source](bool coming) { OnSourceChange(*source, coming); });
    }
}

AnyPrivateKeys::~AnyPrivateKeys() {
    for (PrivateKeysPort* source : sources_) {
        source->OnChange(nullptr);
    }
}

bool AnyPrivateKeys::KeysArePrivate() const {
    return std::ranges::any_of(
        sources_, [](const PrivateKeysPort* source) { return source->KeysArePrivate(); });
}

void AnyPrivateKeys::OnSourceChange(const PrivateKeysPort& changing, bool coming) const {
    // Told before the source changes, so it still answers with its old state.
    const bool others = std::ranges::any_of(sources_, [&](const PrivateKeysPort* source) {
        return source != &changing && source->KeysArePrivate();
    });
    const bool before = others || changing.KeysArePrivate();
    const bool after = others || coming;
    if (after != before) {
        Notify(after);
    }
}
