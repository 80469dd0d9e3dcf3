// Script functions by name. The built-ins come from one registration list; plugins
// add theirs through AddFunction, and a later registration of a name is tried first.
#pragma once

#include <string>
#include <vector>

#include "avs/avisynth.h"
#include "fserver/param_match.h"

namespace fserver {

struct Function {
    std::string name;
    std::string param_string;
    std::vector<Param> params;
    IScriptEnvironment::ApplyFunc apply;
    void* user_data;
};

class FunctionTable {
public:
    FunctionTable();  // registers the built-ins
    void Add(const char* name, const char* params, IScriptEnvironment::ApplyFunc apply, void* user_data);
    bool Exists(const char* name) const;
    // Every function of that name, the latest registration first.
    std::vector<const Function*> Lookup(const char* name) const;

private:
    std::vector<Function> functions_;
};

}  // namespace fserver
