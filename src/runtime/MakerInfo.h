#pragma once
// The maker's contact lines and the donation page's values, all in one place.
// Every host is a reserved example domain.

namespace tavro::maker {

inline constexpr const char* kEmail = "tavro@example.com";
inline constexpr const char* kWebPage = "https://www.example.org/tavro";
inline constexpr const char* kProviderDomain = "payments.example.net";
inline constexpr const char* kProviderHost = "www.payments.example.net";
inline constexpr const char* kProviderImageHost = "images.payments.example.net";
inline constexpr const char* kButtonId = "TAVRO7EX4MPL3";  // 13 characters
inline constexpr const char* kImageAlt = "Example Payments - the safer, easier way to pay online!";

}  // namespace tavro::maker
