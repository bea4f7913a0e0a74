#pragma once

namespace tovr {

// One visitor made of several lambdas, for std::visit over a variant's cases.
template <class... Fs> struct Overloaded : Fs... { using Fs::operator()...; };
template <class... Fs> Overloaded(Fs...) -> Overloaded<Fs...>;

} // namespace tovr
