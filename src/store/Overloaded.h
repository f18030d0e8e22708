#pragma once

// A visitor made of lambdas, one per alternative of a variant.
template<class... Ts>
struct TOverloaded : Ts...
{
    using Ts::operator()...;
};
template<class... Ts>
TOverloaded(Ts...) -> TOverloaded<Ts...>;
