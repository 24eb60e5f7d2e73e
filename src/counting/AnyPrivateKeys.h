#pragma once

#include <vector>

#include "ports/PrivateKeysPort.h"

// Keys are private while any of its sources says so: the session is locked, or a password
// field has the focus. The counter asks this one, so whatever makes keys private, they are
// left out of the tally by the same rule. It takes over the sources' change notices and tells
// of the changes of the whole.
class AnyPrivateKeys final : public PrivateKeysPort {
public:
    // The sources outlive this object.
    explicit AnyPrivateKeys(std::vector<PrivateKeysPort*> sources);
    ~AnyPrivateKeys() override;
    AnyPrivateKeys(const AnyPrivateKeys&) = delete;
    AnyPrivateKeys& operator=(const AnyPrivateKeys&) = delete;

    bool KeysArePrivate() const override;

private:
    void OnSourceChange(const PrivateKeysPort& changing, bool coming) const;

    std::vector<PrivateKeysPort*> sources_;
};
