// The process-wide context: built once on the first read, never rebuilt, and after a failed
// build every read faults with "Once has panicked". Each scenario needs a process whose context
// has not been read yet, so it runs in a forked child with its own environment; the child
// reports the checks that failed through a pipe, and this test process never reads its own
// context.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "context/app_context.hpp"
#include "context_test_support.hpp"

namespace qzr {
namespace {

using test::fault_message_of;
using test::TempShare;

// Collects the failed checks of a child; the child cannot use gtest's assertions, whose results
// would stay in its own process.
class ChildReport {
 public:
  void expect(bool condition, const std::string& what) {
    if (!condition) m_text += what + "\n";
  }
  void expect_fault(const std::optional<std::string>& message, std::string_view expected,
                    const std::string& what) {
    if (!message) {
      m_text += what + ": no fault\n";
    } else if (*message != expected) {
      m_text += what + ": fault \"" + *message + "\", expected \"" + std::string(expected) + "\"\n";
    }
  }
  const std::string& text() const { return m_text; }

 private:
  std::string m_text;
};

void set_variable(const char* name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name, value->c_str(), 1);
  } else {
    unsetenv(name);
  }
}

void set_environment(const AppContextEnvironment& environment) {
  set_variable("CHAIN_ID", environment.chain_id);
  set_variable("CONTRACT_DEPLOYMENT", environment.contract_deployment);
  set_variable("QZR_SHARE", environment.qzr_share);
}

// Runs `scenario` in a forked child with standard error silenced (faults print there), and
// returns its report: empty when every check passed.
std::string run_in_child(const std::function<void(ChildReport&)>& scenario) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return "pipe failed";
  const pid_t child = fork();
  if (child < 0) return "fork failed";
  if (child == 0) {
    close(pipe_fds[0]);
    const int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, STDERR_FILENO);
    ChildReport report;
    try {
      scenario(report);
    } catch (const Fault& stop) {
      report.expect(false, "unexpected fault: " + stop.message);
    }
    const std::string& text = report.text();
    std::size_t written = 0;
    while (written < text.size()) {
      const ssize_t count = write(pipe_fds[1], text.data() + written, text.size() - written);
      if (count <= 0) _exit(2);
      written += static_cast<std::size_t>(count);
    }
    _exit(0);
  }
  close(pipe_fds[1]);
  std::string report;
  char buffer[4096];
  for (ssize_t count; (count = read(pipe_fds[0], buffer, sizeof buffer)) != 0;) {
    if (count > 0) report.append(buffer, static_cast<std::size_t>(count));
    if (count < 0 && errno != EINTR) break;
  }
  close(pipe_fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) report += "child did not exit normally\n";
  return report;
}

TEST(AppContextHolder, BuildsOnceFromEnvironmentAndFile) {
  const TempShare share;
  share.write_addresses(test::two_deployments_json);
  const std::string report = run_in_child([&share](ChildReport& report) {
    set_environment({{}, {}, share.path()});
    {
      const AppContextReadGuard context = get_app_context();
      report.expect(context->chain_id == 1337, "chain id from the defaults");
      report.expect(to_hex(context->contract_address) == test::snapshot_contract, "contract address");
      report.expect(to_hex(context->usdc_token_address) == test::snapshot_usdc, "USDC address");
      report.expect(to_hex(context->qzr_token_address) == test::snapshot_qzr, "QZR address");
      // Readers share the lock: a second guard while the first is held.
      const AppContextReadGuard second = get_app_context();
      report.expect(&*second == &*context, "one context for every reader");
    }
    const OperatorContext first_copy = OperatorContext::clone_global();

    // Neither the file nor the environment is read again.
    share.write_addresses(R"({"snapshot": {"addresses": {}, "chainId": 5}})");
    set_environment({"1", "prod", "/nonexistent"});
    const OperatorContext second_copy = OperatorContext::clone_global();
    report.expect(second_copy == first_copy, "unchanged after the file and the environment changed");
    report.expect(second_copy.chain_id == 1337, "chain id kept");
  });
  EXPECT_EQ(report, "");
}

TEST(AppContextHolder, FailedBuildIsNeverRetried) {
  const TempShare share;
  share.write_addresses(test::two_deployments_json);
  struct Case {
    std::string_view label;
    // The environment of the first read; `share` stands for the share directory.
    std::optional<std::string_view> chain_id;
    bool share_set;
    std::string_view first_fault;
  };
  constexpr Case cases[] = {
      {"share absent", {}, false, "QZR_SHARE not set: NotPresent"},
      {"chain id differs", "1", true, "chain id from addresses.json doesn't match CHAIN_ID"},
      {"chain id not a number", " 1337", true, "Cannot parse CHAIN_ID: invalid digit found in string"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string report = run_in_child([&](ChildReport& report) {
      set_environment({c.chain_id ? std::optional<std::string>(c.chain_id) : std::nullopt,
                       {},
                       c.share_set ? std::optional<std::string>(share.path()) : std::nullopt});
      report.expect_fault(fault_message_of([] { get_app_context(); }), c.first_fault, "first read");

      // A correct environment does not help within the process.
      set_environment({{}, {}, share.path()});
      report.expect_fault(fault_message_of([] { get_app_context(); }), "Once has panicked", "second read");
      report.expect_fault(fault_message_of([] { OperatorContext::clone_global(); }), "Once has panicked",
                          "copy after the failure");
      report.expect_fault(fault_message_of([] { get_app_context(); }), "Once has panicked", "third read");
    });
    EXPECT_EQ(report, "");
  }
}

// Threads that read first at the same time: one builds, the others wait for it, and all see the
// same record.
TEST(AppContextHolder, ConcurrentFirstReadersShareOneBuild) {
  const TempShare share;
  share.write_addresses(test::two_deployments_json);
  const std::string report = run_in_child([&share](ChildReport& report) {
    set_environment({"1", "prod", share.path()});
    constexpr int reader_count = 8;
    std::vector<OperatorContext> seen(reader_count);
    std::vector<std::thread> readers;
    for (int i = 0; i < reader_count; ++i) {
      readers.emplace_back([&seen, i] { seen[i] = OperatorContext::clone_global(); });
    }
    for (std::thread& reader : readers) reader.join();
    for (const OperatorContext& context : seen) {
      report.expect(context.chain_id == 1 && to_hex(context.contract_address) == test::prod_contract,
                    "a reader saw another context");
    }
  });
  EXPECT_EQ(report, "");
}

}  // namespace
}  // namespace qzr
