// An environment that records every Invoke as text and answers with a fresh clip
// over the first argument, so a test sees which functions ran, in which order, with
// which arguments, and which result the caller kept.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "fserver/script_environment.h"

namespace test {

// The result of a recorded call: passes everything through, can change the format.
class TaggedClip : public GenericVideoFilter {
public:
    explicit TaggedClip(PClip child) : GenericVideoFilter(std::move(child)) {}
    VideoInfo& Format() { return vi; }
};

class RecordingEnv : public fserver::ScriptEnvironment {
public:
    AVSValue* AVS_STDCALL Invoke(AVSValue* result, const char* name, AVSValueRaw raw, const char** arg_names) override {
        const AVSValue args = AVSValue::Adopt(raw);
        std::string call = name;
        if (arg_names) call += " (named)";
        if (args.IsArray()) {
            call += "(";
            for (int i = 0; i < args.ArraySize(); ++i) call += (i ? "," : "") + Describe(args[i]);
            call += ")";
        } else {
            call += " " + Describe(args);
        }
        calls.push_back(call);
        if (fail_on == name) ThrowError("%s: refused", name);
        const PClip input = args.IsArray() ? args[0].AsClip() : args.AsClip();
        auto* out = new TaggedClip(input);
        if (name == std::string("ConvertToMono") || name == std::string("GetChannel")) out->Format().nchannels = 1;
        last_result = out;
        return new (result) AVSValue(static_cast<IClip*>(out));
    }

    static std::string Describe(const AVSValue& v) {
        if (v.IsClip()) return "clip";
        if (v.IsBool()) return v.AsBool() ? "true" : "false";
        if (v.IsInt()) return std::to_string(v.AsInt());
        if (v.IsFloat()) {
            char s[32];
            std::snprintf(s, sizeof s, "%g", v.AsFloat());
            return s;
        }
        if (v.IsString()) return std::string("\"") + v.AsString() + "\"";
        return "?";
    }

    std::vector<std::string> calls;
    std::string fail_on;
    IClip* last_result = nullptr;
};

}  // namespace test
