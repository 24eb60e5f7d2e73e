#include "CredentialCache.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

CredentialCache::CredentialCache(Clock::duration lifetime) : lifetime_(lifetime) {
    // Without a random key nothing is cached and every login takes the slow path.
    keyReady_ = RAND_bytes(key_.data(), static_cast<int>(key_.size())) == 1;
}

bool CredentialCache::KeyedHash(std::string_view password, Digest& out) const {
    if (!keyReady_) {
        return false;
    }
    unsigned int length = 0;
    const unsigned char* done = HMAC(EVP_sha256(), key_.data(), static_cast<int>(key_.size()),
                                     reinterpret_cast<const unsigned char*>(password.data()),
                                     password.size(), out.data(), &length);
    return done != nullptr && length == out.size();
}

bool CredentialCache::Matches(std::int64_t userId, std::string_view storedHash,
                              std::string_view password, Clock::time_point now) {
    Digest keyed{};
    if (!KeyedHash(password, keyed)) {
        return false;
    }
    const std::lock_guard lock(mutex_);
    const auto found = entries_.find(userId);
    if (found == entries_.end()) {
        return false;
    }
    const Entry& entry = found->second;
    if (entry.storedHash != storedHash || now - entry.verifiedAt >= lifetime_) {
        entries_.erase(found);
        return false;
    }
    return CRYPTO_memcmp(entry.keyed.data(), keyed.data(), keyed.size()) == 0;
}

void CredentialCache::Remember(std::int64_t userId, std::string_view storedHash,
                               std::string_view password, Clock::time_point now) {
    Entry entry{std::string(storedHash), {}, now};
    if (!KeyedHash(password, entry.keyed)) {
        return;
    }
    const std::lock_guard lock(mutex_);
    entries_.insert_or_assign(userId, std::move(entry));
}

void CredentialCache::Forget(std::int64_t userId) {
    const std::lock_guard lock(mutex_);
    entries_.erase(userId);
}

void CredentialCache::SetLifetime(Clock::duration lifetime) {
    const std::lock_guard lock(mutex_);
    lifetime_ = lifetime;
}
