// The trace of the recording GL layer: counting and storing calls, the public
// queries over the trace, and reset.
#include <cstring>
#include <sstream>

#include "glrecord_internal.h"

namespace glrecord {
namespace detail {

namespace {

struct FnInfo {
    const char* name;
    bool allowedInBegin;
};

constexpr FnInfo kFunctions[] = {
#define GLRECORD_INFO(name, inBegin) {#name, inBegin != 0},
    GLRECORD_FUNCTIONS(GLRECORD_INFO)
#undef GLRECORD_INFO
};
static_assert(sizeof(kFunctions) / sizeof(kFunctions[0]) == kFnCount);

std::size_t indexOfFn(Fn fn) { return static_cast<std::size_t>(fn); }

}  // namespace

const char* fnName(Fn fn) { return kFunctions[indexOfFn(fn)].name; }

bool fnFromName(const char* name, Fn& fn) {
    for (std::size_t i = 0; i < kFnCount; ++i) {
        if (std::strcmp(kFunctions[i].name, name) == 0) {
            fn = static_cast<Fn>(i);
            return true;
        }
    }
    return false;
}

State& state() {
    static State s;
    return s;
}

void raiseError(GLenum error) {
    State& s = state();
    if (s.error == GL_NO_ERROR) s.error = error;
}

bool recordv(Fn fn, const double* args, std::size_t count) {
    State& s = state();
    ++s.total;
    ++s.perFn[indexOfFn(fn)];
    if (s.mode == Mode::Record) {
        s.raw.push_back(RawCall{fn, static_cast<std::uint32_t>(s.args.size()),
                                static_cast<std::uint32_t>(count)});
        s.args.insert(s.args.end(), args, args + count);
    }
    if (s.insideBegin && !kFunctions[indexOfFn(fn)].allowedInBegin) {
        raiseError(GL_INVALID_OPERATION);
        return false;
    }
    return true;
}

}  // namespace detail

using detail::state;

bool operator==(const Call& a, const Call& b) { return a.name == b.name && a.args == b.args; }

std::ostream& operator<<(std::ostream& out, const Call& call) {
    out << call.name << '(';
    for (std::size_t i = 0; i < call.args.size(); ++i) out << (i ? ", " : "") << call.args[i];
    return out << ')';
}

void reset() {
    detail::State& s = state();
    s.total = 0;
    s.perFn.fill(0);
    s.raw.clear();
    s.args.clear();
    s.calls.clear();
    s.primitives.clear();
    detail::resetContext(640, 480);
}

void setMode(Mode mode) { state().mode = mode; }

const std::vector<Call>& trace() {
    detail::State& s = state();
    s.calls.reserve(s.raw.size());
    for (std::size_t i = s.calls.size(); i < s.raw.size(); ++i) {
        const detail::RawCall& raw = s.raw[i];
        const double* first = s.args.data() + raw.firstArg;
        s.calls.push_back(Call{detail::fnName(raw.fn), std::vector<double>(first, first + raw.argCount)});
    }
    return s.calls;
}

std::size_t callCount() { return state().total; }

std::size_t countOf(const std::string& name) {
    detail::Fn fn;
    return detail::fnFromName(name.c_str(), fn) ? state().perFn[static_cast<std::size_t>(fn)] : 0;
}

const std::vector<Primitive>& primitives() { return state().primitives; }

std::vector<Call> callsNamed(const std::string& name) {
    std::vector<Call> found;
    for (const Call& call : trace())
        if (call.name == name) found.push_back(call);
    return found;
}

std::size_t indexOf(const std::string& name, std::size_t from) {
    const std::vector<Call>& calls = trace();
    for (std::size_t i = from; i < calls.size(); ++i)
        if (calls[i].name == name) return i;
    return kNotFound;
}

std::size_t countBetween(const std::string& name, std::size_t first, std::size_t last) {
    const std::vector<Call>& calls = trace();
    std::size_t count = 0;
    for (std::size_t i = first; i < last && i < calls.size(); ++i)
        if (calls[i].name == name) ++count;
    return count;
}

std::string summary() {
    const detail::State& s = state();
    std::ostringstream out;
    for (std::size_t i = 0; i < s.raw.size();) {
        std::size_t run = 1;
        while (i + run < s.raw.size() && s.raw[i + run].fn == s.raw[i].fn) ++run;
        out << (i ? " " : "") << detail::fnName(s.raw[i].fn);
        if (run > 1) out << '*' << run;
        i += run;
    }
    return out.str();
}

}  // namespace glrecord
