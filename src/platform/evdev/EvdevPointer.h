#pragma once

#include <cstdint>
#include <memory>

#include "platform/evdev/RelativeMotion.h"
#include "ports/PointerPort.h"

// Mouse travel where the cursor's position cannot be read (a Wayland client may not): the
// mice's relative motion taken as pixels, at the logical pixels per inch the desktop reports.
// An estimate: pointer acceleration makes a device count more or less than a pixel.
class EvdevPointer final : public PointerPort {
public:
    EvdevPointer(std::shared_ptr<const RelativeMotion> motion, std::int32_t perInchX,
                 std::int32_t perInchY)
        : motion_(std::move(motion)), perInchX_(perInchX), perInchY_(perInchY) {}

    void MeasurePixelsPerInch(std::int32_t& perInchX, std::int32_t& perInchY) override {
        perInchX = perInchX_;
        perInchY = perInchY_;
    }
    bool GetCursorPos(std::int32_t& x, std::int32_t& y) override {
        motion_->Position(x, y);
        return true;
    }
    // The devices read are this computer's own.
    bool IsRemoteSession() override { return false; }

private:
    std::shared_ptr<const RelativeMotion> motion_;
    const std::int32_t perInchX_;
    const std::int32_t perInchY_;
};
