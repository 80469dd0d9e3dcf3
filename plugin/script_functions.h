#pragma once

class IScriptEnvironment;

// Adds the plugin's script functions to the environment, in table order.
void RegisterScriptFunctions(IScriptEnvironment* env);
