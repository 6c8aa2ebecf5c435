from typing import Literal, Sequence

import numpy as np
from numpy.typing import ArrayLike

from . import ulp_distance as ulp_distance

__all__ = ["assert_device_equal", "ulp_distance"]

def assert_device_equal(
    function: np.ufunc | str,
    *inputs: ArrayLike,
    actual: ArrayLike | Sequence[ArrayLike],
    max_ulp: int = ...,
    nan: Literal["exact", "any"] = ...,
) -> None: ...
