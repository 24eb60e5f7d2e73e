#include "counting/AccountState.h"

#include "counting/QuickCrypt.h"

AccountState AccountState::StartValues() {
    AccountState state;
    state.ResetUnsentKeys();
    state.ResetUnsentClicks();
    state.ResetUnsentDistance();
    return state;
}

std::int32_t AccountState::GetUnsentKeys() const {
    return CQuickCrypt::ReadCounter(UnsentKeys);
}

std::int32_t AccountState::GetUnsentClicks() const {
    return CQuickCrypt::ReadCounter(UnsentClicks);
}

void AccountState::AddUnsentKeys(std::int32_t n) {
    CQuickCrypt::AddToCounter(UnsentKeys, n);
}

void AccountState::AddUnsentClicks(std::int32_t n) {
    CQuickCrypt::AddToCounter(UnsentClicks, n);
}

void AccountState::ResetUnsentKeys() {
    CQuickCrypt::ResetCounter(UnsentKeys);
}

void AccountState::ResetUnsentClicks() {
    CQuickCrypt::ResetCounter(UnsentClicks);
}

void AccountState::ResetUnsentDistance() {
    CQuickCrypt::ResetCounter(UnsentSpare);
    UnsentMetres.Store(0.0);
}

void AccountState::AddUnsentMetres(double metres) {
    UnsentMetres.Add(metres);
}
