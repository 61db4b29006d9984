// SPDX-License-Identifier: MIT
#include "document.h"

#include <algorithm>

#include "view.h"

namespace brisel {

void CBrisel32Doc::RefreshViews() {
    // A view may not go away during a refresh, but copy anyway: the list is tiny.
    auto views = views_;
    for (CBrisel32View* view : views)
        view->OnUpdate();
}

void CBrisel32Doc::AddView(CBrisel32View& view) {
    views_.push_back(&view);
}

void CBrisel32Doc::RemoveView(CBrisel32View& view) {
    views_.erase(std::remove(views_.begin(), views_.end(), &view), views_.end());
}

}  // namespace brisel
