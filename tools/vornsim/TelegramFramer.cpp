#include "TelegramFramer.h"

#include "Telegram.h"

namespace vornsim {

void TelegramFramer::flushNoise(std::vector<FramerEvent>& out) {
    if (!noise_.empty()) out.push_back({FramerEvent::Noise, std::move(noise_)});
    noise_.clear();
}

std::vector<FramerEvent> TelegramFramer::feed(std::string_view bytes) {
    std::vector<FramerEvent> out;
    for (char c : bytes) {
        if (c == kSoh) {
            // A new SOH always starts a telegram; an unfinished one before it was noise.
            if (state_ == State::InFrame) noise_ += frame_;
            flushNoise(out);
            frame_.assign(1, c);
            state_ = State::InFrame;
            continue;
        }
        switch (state_) {
        case State::Idle:
            noise_.push_back(c);
            if (bridgeCommands_ && noise_.size() >= 5 && noise_.compare(noise_.size() - 5, 5, "////Z") == 0) {
                noise_.resize(noise_.size() - 5);
                flushNoise(out);
                out.push_back({FramerEvent::BridgeQuery, "////Z"});
            } else if (noise_.size() >= kMaxTelegram) {
                flushNoise(out);
            }
            break;
        case State::InFrame:
            frame_.push_back(c);
            if (c == kEot) {
                out.push_back({FramerEvent::Telegram, std::move(frame_)});
                frame_.clear();
                state_ = State::Idle;
            } else if (frame_.size() >= kMaxTelegram) {
                out.push_back({FramerEvent::Oversize, std::move(frame_)});
                frame_.clear();
                state_ = State::Skipping;
            }
            break;
        case State::Skipping:
            if (c == kEot) state_ = State::Idle;
            break;
        }
    }
    if (state_ == State::Idle) {
        // Keep trailing slashes back: they may be the start of a split "////Z".
        std::size_t keep = 0;
        while (bridgeCommands_ && keep < 4 && keep < noise_.size() && noise_[noise_.size() - 1 - keep] == '/') ++keep;
        std::string tail = noise_.substr(noise_.size() - keep);
        noise_.resize(noise_.size() - keep);
        flushNoise(out);
        noise_ = std::move(tail);
    }
    return out;
}

}  // namespace vornsim
