#include "case_driver.h"

#include <cstdlib>
#include <cstring>

#include "isolated_run.h"

namespace bench {

bool parse_driver_args(int argc, char** argv, DriverArgs* args) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
            args->timeout = static_cast<unsigned>(std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--cases") == 0 && i + 1 < argc) {
            args->only = argv[++i];
        } else if (argv[i][0] != '-' && std::atof(argv[i]) > 0.0) {
            args->scale = std::atof(argv[i]);
        } else {
            return false;
        }
    }
    return args->timeout != 0;
}

bool selected(const std::string& list, const std::string& label) {
    if (list.empty()) return true;
    const std::string padded = "," + list + ",";
    return padded.find("," + label + ",") != std::string::npos;
}

std::string grouped(std::size_t n) {
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

IsolatedOutcome run_case(const std::function<void(CaseResult*)>& body, unsigned timeout_seconds) {
    IsolatedOutcome o;
    o.ok = run_isolated(body, timeout_seconds, &o.result, &o.failure);
    if (o.ok && o.result.error[0] != '\0') {
        o.ok = false;
        o.failure = std::string("failed: ") + o.result.error;
    }
    return o;
}

}  // namespace bench
