#pragma once
// A non-owning reference to a callable, as cheap to call as a function pointer. The callable must
// outlive the reference (pass lambdas as arguments, do not store references to temporaries).

#include <memory>
#include <type_traits>
#include <utility>

namespace numerics {

template <typename Signature>
class FunctionRef;

template <typename R, typename... Args>
class FunctionRef<R(Args...)> {
  public:
    // A callable object, or a function (a function is held by its address, an object by its).
    template <typename F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, FunctionRef> && std::is_invocable_r_v<R, F&, Args...>)
        FunctionRef(F&& f)
    noexcept  // NOLINT(google-explicit-constructor): callables convert implicitly
    {
        using Callable = std::remove_reference_t<F>;
        if constexpr (std::is_function_v<Callable>) {
            target_.function = reinterpret_cast<void (*)()>(&f);
            call_ = [](Target target, Args... args) -> R {
                return reinterpret_cast<Callable*>(target.function)(std::forward<Args>(args)...);
            };
        } else {
            target_.object = const_cast<void*>(static_cast<const void*>(std::addressof(f)));
            call_ = [](Target target, Args... args) -> R {
                return (*static_cast<Callable*>(target.object))(std::forward<Args>(args)...);
            };
        }
    }

    R operator()(Args... args) const { return call_(target_, std::forward<Args>(args)...); }

  private:
    union Target {
        void* object;
        void (*function)();
    };
    Target target_;
    R (*call_)(Target, Args...);
};

}  // namespace numerics
