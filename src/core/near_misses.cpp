#include "core/near_misses.h"

#include <algorithm>
#include <cctype>

namespace tessaron {

namespace {

// Lower case, with "_" and blanks as "-": the forms of one name that differ only in these.
std::string Folded(std::string_view text) {
  std::string folded;
  for (char c : text) {
    folded += (c == '_' || c == ' ') ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return folded;
}

// Letters to change, leave out, add or swap (two neighbours) to make one text the other.
std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}
}  // namespace

std::vector<std::string> NearMisses(std::string_view text, std::span<const std::string> words) {
  constexpr std::size_t MAX_CONTAINING = 8;
  const std::string folded = Folded(text);
  if (folded.empty()) return {};
  // Short words take one slip, longer ones two, long names three.
  const std::size_t allowed = folded.size() <= 4 ? 1 : folded.size() <= 10 ? 2 : 3;
  std::size_t best = allowed + 1;
  std::vector<std::string> near;
  for (const std::string& word : words) {
    const std::size_t distance = EditDistance(folded, Folded(word));
    if (distance < best) {
      best = distance;
      near.clear();
    }
    if (distance == best) near.push_back(word);
  }
  if (!near.empty() || folded.size() < 3) return near;
  for (const std::string& word : words) {
    if (Folded(word).find(folded) != std::string::npos) near.push_back(word);
  }
  if (near.size() > MAX_CONTAINING) near.clear();
  return near;
}

}  // namespace tessaron
