// Setup queries as the decoder needs them: a request built from a key and up
// to three parts, sent to the setup server, with "ERROR" meaning failure.
#pragma once

#include <functional>
#include <string>

namespace qx {

// Key, then ":" Part1 and ":" Part2 when not empty, then "," Part3 when not
// empty (the "," only after a non-empty request).
std::string BuildSetupRequest(const std::string& Key, const std::string& Part1,
                              const std::string& Part2, const std::string& Part3);

class ISetupLookup {
public:
    virtual ~ISetupLookup() = default;
    // False when the query failed or was answered exactly "ERROR"; otherwise
    // true with the answer, which may be empty.
    virtual bool LookupSetupValue(const std::string& Key, const std::string& Part1,
                                  const std::string& Part2, const std::string& Part3,
                                  std::string& Answer) = 0;
};

// The same query answered later, so that the caller never waits for the
// setup server. done(ok, answer) runs exactly once on the caller's thread,
// possibly before LookupSetupValueAsync returns; ok and answer mean what
// LookupSetupValue's result and Answer mean. answered is false when the query
// itself failed (no reply, an error reply, a time-out): the answer is then
// not worth keeping.
class IAsyncSetupLookup {
public:
    using Done = std::function<void(bool ok, bool answered, std::string answer)>;
    virtual ~IAsyncSetupLookup() = default;
    virtual void LookupSetupValueAsync(const std::string& Key, const std::string& Part1,
                                       const std::string& Part2, const std::string& Part3,
                                       Done done) = 0;
};

// A lookup over any query function; the function throws when the call fails.
class TSetupQueryLookup final : public ISetupLookup {
public:
    using QueryFunction = std::function<std::string(const std::string& request)>;
    explicit TSetupQueryLookup(QueryFunction query) : query_(std::move(query)) {}

    bool LookupSetupValue(const std::string& Key, const std::string& Part1,
                          const std::string& Part2, const std::string& Part3,
                          std::string& Answer) override;

private:
    QueryFunction query_;
};

// Answers asynchronous lookups at once through a synchronous lookup, which
// reports a failed query as an unanswered one.
class TImmediateSetupLookup final : public IAsyncSetupLookup {
public:
    explicit TImmediateSetupLookup(ISetupLookup& lookup) : lookup_(lookup) {}
    void LookupSetupValueAsync(const std::string& Key, const std::string& Part1,
                               const std::string& Part2, const std::string& Part3,
                               Done done) override;

private:
    ISetupLookup& lookup_;
};

}  // namespace qx
