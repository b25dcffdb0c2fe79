#pragma once
// Entry routine of a sibling screen held in a variable: called with its fixed
// arguments, and optionally with an options struct last. Callers that pass no
// options get the routine's plain behaviour; replacements (tests, other hosts)
// may take the options or ignore them.

#include <functional>
#include <type_traits>
#include <utility>

template <typename Assinatura, typename Opcoes> class RotinaComOpcoes;

template <typename R, typename... Args, typename Opcoes> class RotinaComOpcoes<R(Args...), Opcoes> {
public:
    using Completa = std::function<R(Args..., const Opcoes&)>;

    RotinaComOpcoes() = default;

    template <typename F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, RotinaComOpcoes> &&
             std::is_invocable_r_v<R, F&, Args..., const Opcoes&>) RotinaComOpcoes(F f)
        : m_rotina(std::move(f)) {}

    // A routine that knows no options: the options are dropped.
    template <typename F>
    requires(!std::is_invocable_r_v<R, F&, Args..., const Opcoes&> && std::is_invocable_r_v<R, F&, Args...>)
        RotinaComOpcoes(F f)
        : m_rotina([f = std::move(f)](Args... args, const Opcoes&) mutable { return f(args...); }) {}

    R operator()(Args... args, const Opcoes& opcoes = Opcoes{}) const { return m_rotina(args..., opcoes); }

    explicit operator bool() const { return static_cast<bool>(m_rotina); }

private:
    Completa m_rotina;
};
