#pragma once

// How a sequence spends its pauses. Both send the same texts in the same order.
enum class CPacing {
    // Every pause runs its full length, as the devices were always given.
    Fixed,
    // A pause ends as soon as the reply its step waits for has come (or when it runs
    // out): never slower than Fixed.
    ByReplies,
};
