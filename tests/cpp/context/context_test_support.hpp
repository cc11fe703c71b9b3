// Shared fixtures of the context tests: a share directory with an addresses file, and the
// addresses file they use.
#pragma once

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "core/fault.hpp"

namespace qzr::test {

// Two deployments: "snapshot" on chain 1337 (addresses in mixed case, with and without "0x") and
// "prod" in the array form on chain 1.
inline constexpr std::string_view two_deployments_json = R"({
  "snapshot": {
    "addresses": {
      "velmarindAddress": "0xAbCdEf0123456789aBcDeF0123456789AbCdEf01",
      "qzrAddress": "0x00000000000000000000000000000000000000a1",
      "usdcAddress": "B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0",
      "faucetAddress": "0x2222222222222222222222222222222222222222"
    },
    "chainId": 1337,
    "faucet": null
  },
  "prod": [
    {
      "velmarindAddress": "0x1111111111111111111111111111111111111111",
      "qzrAddress": "0x3333333333333333333333333333333333333333",
      "usdcAddress": "0x4444444444444444444444444444444444444444"
    },
    1,
    {"address": "0x5555555555555555555555555555555555555555", "privateKey": "0x6666666666666666666666666666666666666666666666666666666666666666"}
  ]
}
)";

// The fields of those deployments as lower-case text, read off the file by hand.
inline constexpr std::string_view snapshot_contract = "0xabcdef0123456789abcdef0123456789abcdef01";
inline constexpr std::string_view snapshot_qzr = "0x00000000000000000000000000000000000000a1";
inline constexpr std::string_view snapshot_usdc = "0xb0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0";
inline constexpr std::string_view prod_contract = "0x1111111111111111111111111111111111111111";
inline constexpr std::string_view prod_qzr = "0x3333333333333333333333333333333333333333";
inline constexpr std::string_view prod_usdc = "0x4444444444444444444444444444444444444444";

// A fresh directory under the system's temporary directory, removed with everything in it when
// the object is destroyed.
class TempShare {
 public:
  TempShare() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qzr_context_test_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
      throw std::filesystem::filesystem_error("mkdtemp", std::error_code(errno, std::generic_category()));
    m_path = pattern;
  }
  TempShare(const TempShare&) = delete;
  TempShare& operator=(const TempShare&) = delete;
  ~TempShare() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }

  // The directory, without a trailing "/".
  const std::string& path() const { return m_path; }
  std::string addresses_path() const { return m_path + "/ethereum/addresses.json"; }

  // Writes (or replaces) ethereum/addresses.json.
  void write_addresses(std::string_view text) const {
    std::filesystem::create_directories(m_path + "/ethereum");
    std::ofstream(addresses_path(), std::ios::binary | std::ios::trunc) << text;
  }

 private:
  std::string m_path;
};

// The message of the fault that `body` stops with, or nullopt when it returns.
template <class Body>
std::optional<std::string> fault_message_of(Body&& body) {
  try {
    body();
  } catch (const Fault& stop) {
    return stop.message;
  }
  return std::nullopt;
}

}  // namespace qzr::test
