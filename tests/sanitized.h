// Whether these tests run in the AddressSanitizer build, which makes every
// run many times slower: the heaviest tests take a smaller sample there.
#pragma once

namespace mottler {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

}  // namespace mottler
