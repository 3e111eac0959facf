#include "progsmith/compiler/tokeniser.h"

#include "common/numbers.h"

namespace progsmith {

int TokenRow::line() const {
    return common::leadingInteger(lineNumber);
}

bool isAbsent(std::string_view token) {
    return token.empty() || token == kNoToken;
}

TokenTable Tokenise(const std::vector<std::string>& cleanList) {
    TokenTable table;
    table.reserve(cleanList.size());
    for (const auto& entry : cleanList) {
        std::array<std::string, 7> fields;
        size_t field = 0;
        size_t start = 0;
        while (field < fields.size()) {
            const size_t blank = entry.find(' ', start);
            fields[field++] =
                entry.substr(start, blank == std::string::npos ? blank : blank - start);
            if (blank == std::string::npos) break;
            start = blank + 1;
        }
        TokenRow row;
        row.index = fields[0].empty() ? std::string(kNoToken) : fields[0];
        row.lineNumber = fields[1].empty() ? std::string(kNoToken) : fields[1];
        row.count = 1;
        for (size_t i = 0; i < 5; ++i) {
            std::string& token = fields[i + 2];
            if (i > 0 && !token.empty()) ++row.count;
            row.tokens[i] = token.empty() ? std::string(kNoToken) : std::move(token);
        }
        table.push_back(std::move(row));
    }
    return table;
}

} // namespace progsmith
