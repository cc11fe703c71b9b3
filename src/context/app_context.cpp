// The application context: the environment's settings, the addresses file, and the process-wide
// holder that builds the context once.
#include "context/app_context.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <utility>

#include "context/addresses_file.hpp"
#include "core/debug_quote.hpp"
#include "core/fault.hpp"
#include "core/once_cell.hpp"
#include "core/utf8.hpp"

namespace qzr {
namespace {

std::optional<std::string> read_variable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

// The value when present and UTF-8, else the default.
std::string_view text_or_default(const std::optional<std::string>& value, std::string_view fallback) {
  if (!value || find_utf8_error(*value)) return fallback;
  return *value;
}

// An unsigned 64-bit decimal integer: an optional "+", then digits only. The error texts are
// those of the integer parser the system's texts were written against.
Result<std::uint64_t> parse_unsigned_decimal(std::string_view text) {
  if (text.empty()) return fail(CommonError::other("cannot parse integer from empty string"));
  if (text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return fail(CommonError::other("invalid digit found in string"));
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return fail(CommonError::other("invalid digit found in string"));
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10)
      return fail(CommonError::other("number too large to fit in target type"));
    value = value * 10 + digit;
  }
  return value;
}

// The debug rendering of an operating system error: Os { code: 2, message: "No such file or
// directory" }.
std::string os_error_debug(int code) {
  return "Os { code: " + std::to_string(code) +
         ", message: " + debug_quote(std::system_category().message(code)) + " }";
}

// The process-wide holder. The once-cell hands out const access only, and the lock is the one
// part that readers change (its reader count), hence `mutable`.
struct SharedOperatorContext {
  explicit SharedOperatorContext(OperatorContext context) : lock(context) {}
  mutable PoisonableRwLock<OperatorContext> lock;
};

// Never destroyed: the context lives until the process ends, also while exit handlers run.
OnceCell<SharedOperatorContext>& app_context_holder() {
  static auto* const holder = new OnceCell<SharedOperatorContext>();
  return *holder;
}

}  // namespace

AppContextEnvironment read_app_context_environment() {
  return {read_variable("CHAIN_ID"), read_variable("CONTRACT_DEPLOYMENT"), read_variable("QZR_SHARE")};
}

Result<AppContextSettings> parse_app_context_settings(const AppContextEnvironment& environment) {
  AppContextSettings settings;
  Result<std::uint64_t> chain_id =
      parse_unsigned_decimal(text_or_default(environment.chain_id, default_chain_id));
  if (!chain_id) return fail(CommonError::other("Cannot parse CHAIN_ID: " + chain_id.error().display()));
  settings.chain_id = *chain_id;
  settings.contract_deployment =
      text_or_default(environment.contract_deployment, default_contract_deployment);

  if (!environment.qzr_share) return fail(CommonError::other("QZR_SHARE not set: NotPresent"));
  const std::string& share = *environment.qzr_share;
  if (find_utf8_error(share))
    return fail(CommonError::other("QZR_SHARE not set: NotUnicode(" + debug_quote(share) + ")"));
  settings.addresses_path = share;
  if (!share.empty() && !share.ends_with('/')) settings.addresses_path += '/';
  settings.addresses_path += "ethereum/addresses.json";
  return settings;
}

Result<std::string> read_addresses_file(const std::string& path) {
  static constexpr std::string_view open_failure = "Cannot initialize app context without addresses.json: ";
  // open() would read the path only up to the NUL and so name a different file.
  if (path.find('\0') != std::string::npos) {
    return fail(CommonError::other(std::string(open_failure) +
                                   "InvalidInput(\"file name contained an unexpected NUL byte\")"));
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fail(CommonError::other(std::string(open_failure) + os_error_debug(errno)));

  std::string text;
  char buffer[65536];
  int read_error = 0;
  for (;;) {
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count > 0) {
      text.append(buffer, static_cast<std::size_t>(count));
    } else if (count == 0) {
      break;
    } else if (errno != EINTR) {
      read_error = errno;
      break;
    }
  }
  ::close(fd);
  if (read_error != 0) return fail(CommonError::other(os_error_debug(read_error)));
  return text;
}

Result<OperatorContext> build_operator_context(const AppContextSettings& settings,
                                               std::string_view addresses_json) {
  Result<std::optional<DeploymentMeta>> deployment =
      parse_addresses_file(addresses_json, settings.contract_deployment);
  if (!deployment)
    return fail(CommonError::other("Cannot parse addresses.json: " + deployment.error().display()));
  if (!*deployment) return fail(CommonError::other("CONTRACT_DEPLOYMENT not found in addresses.json"));
  const DeploymentMeta& meta = **deployment;
  if (meta.chain_id != settings.chain_id) {
    return fail(CommonError::other("chain id from addresses.json doesn't match CHAIN_ID"));
  }
  return OperatorContext{meta.addresses.velmarind, settings.chain_id, meta.addresses.usdc_token,
                         meta.addresses.qzr_token};
}

Result<OperatorContext> load_operator_context(const AppContextEnvironment& environment) {
  Result<AppContextSettings> settings = parse_app_context_settings(environment);
  if (!settings) return fail(std::move(settings.error()));
  Result<std::string> text = read_addresses_file(settings->addresses_path);
  if (!text) return fail(std::move(text.error()));
  return build_operator_context(*settings, *text);
}

AppContextReadGuard get_app_context() {
  const SharedOperatorContext& shared = app_context_holder().get_or_init([] {
    Result<OperatorContext> context = load_operator_context(read_app_context_environment());
    if (!context) fault(context.error().display());
    return *context;
  });
  return shared.lock.read();
}

OperatorContext OperatorContext::clone_global() { return *get_app_context(); }

}  // namespace qzr
