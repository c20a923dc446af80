// Gadget numbers are one space across every window, and image numbers
// another: a clash would put two controls (or two pictures) behind one
// number, and the services would refuse the second only when it is made.
// Each window names its numbers in its header; this proves them apart.
#include <array>
#include <cstddef>
#include <cstdint>

#include "app/main_window.h"
#include "windows/about_window.h"
#include "windows/file_verifier_window.h"
#include "windows/md5_file_verifier_window.h"
#include "windows/options_window.h"
#include "windows/text_digest_window.h"

namespace {

template <std::size_t... Sizes>
constexpr bool AllApart(const std::array<std::int32_t, Sizes>&... lists) {
  std::array<std::int32_t, (Sizes + ... + 0)> all{};
  std::size_t count = 0;
  ((
       [&] {
         for (std::int32_t number : lists) all[count++] = number;
       }()),
   ...);
  for (std::size_t i = 0; i < count; ++i)
    for (std::size_t j = i + 1; j < count; ++j)
      if (all[i] == all[j]) return false;
  return true;
}

static_assert(AllApart(kMainWindowGadgets, kOptionsGadgets, kVerifierGadgets, kFileVerifierGadgets,
                       kTextDigestGadgets, kAboutGadgets),
              "two gadgets share a number");
static_assert(AllApart(kMainWindowImages, kAboutImages), "two images share a number");

}  // namespace
