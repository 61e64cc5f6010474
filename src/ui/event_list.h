// An event several objects hear: subscribers are called in the order they subscribed. The
// declaration of each event says who subscribes and why the order matters, where it does.
#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace kavo {

template <typename Signature>
class EventList;

// Subscribers that only hear.
template <typename... Args>
class EventList<void(Args...)> {
  public:
    void Subscribe(std::function<void(Args...)> subscriber) {
        subscribers_.push_back(std::move(subscriber));
    }
    void Raise(Args... args) const {
        for (const auto& subscriber : subscribers_) subscriber(args...);
    }

  private:
    std::vector<std::function<void(Args...)>> subscribers_;
};

// Subscribers that may take the event: the first to answer true ends it, and Raise says whether
// one did. A refusal (closing) is such an answer too.
template <typename... Args>
class EventList<bool(Args...)> {
  public:
    void Subscribe(std::function<bool(Args...)> subscriber) {
        subscribers_.push_back(std::move(subscriber));
    }
    bool Raise(Args... args) const {
        for (const auto& subscriber : subscribers_)
            if (subscriber(args...)) return true;
        return false;
    }

  private:
    std::vector<std::function<bool(Args...)>> subscribers_;
};

}  // namespace kavo
