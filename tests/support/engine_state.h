#pragma once
// Puts every piece of the program's process-wide state back to how a fresh start has it, so
// that each test begins from the same place whatever the tests before it did.

void ResetEngineState();
