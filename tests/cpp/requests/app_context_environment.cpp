// The application context of this test binary: a share directory with one deployment, set in the
// environment before any test runs, so that the first context read of the process builds it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "requests_test_support.hpp"

namespace qzr::test {
namespace {

class RequestsContextEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "qzr_requests_test_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_share = pattern;
    std::filesystem::create_directories(m_share / "ethereum");
    std::ofstream(m_share / "ethereum" / "addresses.json") << R"({
  "snapshot": {
    "addresses": {
      "velmarindAddress": "0xABCDEF0123456789abcdef0123456789ABCDEF01",
      "qzrAddress": "0x00000000000000000000000000000000000000a1",
      "usdcAddress": "0xb0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0"
    },
    "chainId": 1337
  }
})";
    setenv("QZR_SHARE", m_share.c_str(), 1);
    setenv("CHAIN_ID", "1337", 1);
    setenv("CONTRACT_DEPLOYMENT", "snapshot", 1);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(m_share, ignored);
  }

 private:
  std::filesystem::path m_share;
};

[[maybe_unused]] const ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new RequestsContextEnvironment);

}  // namespace
}  // namespace qzr::test
