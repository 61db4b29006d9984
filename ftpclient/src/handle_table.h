// SPDX-License-Identifier: MIT
// Handles: positive integers from a thread-safe table. A closed handle's number is never
// given out again in the same process.
#pragma once

#include <climits>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace varnix {

template <class T>
class HandleTable {
  public:
    // The new object's handle; 0 when the numbers are used up.
    int add(std::shared_ptr<T> object) {
        std::lock_guard lock(mutex_);
        if (next_ == INT_MAX) return 0;
        int handle = next_++;
        objects_.emplace(handle, std::move(object));
        return handle;
    }
    // The object of handle, or null. The caller's reference keeps it alive while a call on
    // it runs, even if another thread removes the handle meanwhile.
    std::shared_ptr<T> find(int handle) const {
        std::lock_guard lock(mutex_);
        auto it = objects_.find(handle);
        return it == objects_.end() ? nullptr : it->second;
    }
    std::shared_ptr<T> remove(int handle) {
        std::lock_guard lock(mutex_);
        auto it = objects_.find(handle);
        if (it == objects_.end()) return nullptr;
        auto object = std::move(it->second);
        objects_.erase(it);
        return object;
    }

  private:
    mutable std::mutex mutex_;
    std::unordered_map<int, std::shared_ptr<T>> objects_;
    int next_ = 1;
};

}  // namespace varnix
