#pragma once

// One sender at a time: two senders started together would otherwise both
// ask and both send. Taken once a pending dump is found, and held until the
// process ends, however it ends.

// False when another sender holds the guard. True when this one took it, or
// when the platform offers no place for it and the run goes on unguarded.
bool TakeSenderGuard();
