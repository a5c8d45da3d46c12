#pragma once
// The words a mistyped text most likely meant, for the messages about a name or word that
// is not one.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessaron {

// Letter case, "_" for "-", one or two letters wrong, left out, added or swapped, or else
// the words that contain it; empty when none is near.
std::vector<std::string> NearMisses(std::string_view text, std::span<const std::string> words);

}  // namespace tessaron
