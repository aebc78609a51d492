"""The one exception the shared state engines raise for a store they cannot use."""


class StateEngineUnavailable(ConnectionError):
    """The shared store could not carry out an operation.

    Raised when Redis is unreachable, times out or answers with an error. The store's
    own exception is kept as ``cause`` (and as ``__cause__``). Treat it as "not
    known": a ``consume_nonce`` that raises has not reported the nonce as accepted,
    so a service should reject the request (fail closed) rather than serve it.
    """

    def __init__(self, operation: str, cause: BaseException) -> None:
        super().__init__(f"state engine {operation}: {type(cause).__name__}: {cause}")
        self.operation = operation
        self.cause = cause
