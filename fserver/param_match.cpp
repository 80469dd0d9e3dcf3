#include "fserver/param_match.h"

#include <stdexcept>
#include <strings.h>

namespace fserver {

std::vector<Param> ParseParams(const char* params) {
    std::vector<Param> out;
    for (const char* p = params; *p;) {
        Param param{0, 0, false, {}};
        if (*p == '[') {
            const char* close = p + 1;
            while (*close && *close != ']') ++close;
            if (!*close) throw std::invalid_argument("unterminated parameter name");
            param.name.assign(p + 1, close);
            param.optional = true;
            p = close + 1;
        }
        switch (*p) {
            case 'c': case 'i': case 'f': case 's': case 'b': case '.': param.type = *p++; break;
            default: throw std::invalid_argument("bad parameter type");
        }
        if (*p == '*' || *p == '+') param.repeat = *p++;
        out.push_back(std::move(param));
    }
    return out;
}

bool SingleTypeMatch(char type, const AVSValue& v) {
    switch (type) {
        case 'c': return v.IsClip();
        case 'i': return v.IsInt();
        case 'f': return v.IsFloat();
        case 's': return v.IsString();
        case 'b': return v.IsBool();
        case '.': return true;
        default: return false;
    }
}

std::optional<std::vector<AVSValue>> MatchPositional(const std::vector<Param>& params,
                                                     const std::vector<AVSValue>& args,
                                                     std::vector<std::vector<AVSValue>>& groups) {
    std::vector<AVSValue> slots(params.size());
    groups.reserve(groups.size() + params.size());  // element addresses stay put
    size_t i = 0;
    for (size_t k = 0; k < params.size(); ++k) {
        const Param& p = params[k];
        if (p.repeat) {
            std::vector<AVSValue>& group = groups.emplace_back();
            while (i < args.size() && args[i].Defined() && SingleTypeMatch(p.type, args[i])) group.push_back(args[i++]);
            if (p.repeat == '+' && group.empty()) return std::nullopt;
            slots[k] = AVSValue(group.data(), static_cast<int>(group.size()));
            continue;
        }
        if (i >= args.size()) {
            if (!p.optional) return std::nullopt;
            continue;
        }
        const AVSValue& a = args[i++];
        if (p.optional && !a.Defined()) continue;  // left to the default
        if (!SingleTypeMatch(p.type, a)) return std::nullopt;
        slots[k] = a;
    }
    if (i < args.size()) return std::nullopt;
    return slots;
}

int FindNamedParam(const std::vector<Param>& params, const char* name) {
    for (size_t k = 0; k < params.size(); ++k)
        if (params[k].optional && strcasecmp(params[k].name.c_str(), name) == 0) return static_cast<int>(k);
    return -1;
}

}  // namespace fserver
