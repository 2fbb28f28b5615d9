#pragma once
// Connects the editor to the subsystems that reach it through hooks. The
// program, the tools and the tests call this one function.
void InstallEditor();
