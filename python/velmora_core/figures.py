"""The report's figures: matplotlib figures saved as PNG, and their embedding in the page."""

import base64
import html
import io
from typing import TYPE_CHECKING

from velmora_core.errors import missing_extra

if TYPE_CHECKING:
    from matplotlib.figure import Figure

# Figures are drawn at FIGURE_DPI and shown on the page at half their pixel size, so they stay
# sharp on high-density screens; each links to its full-size file.
FIGURE_DPI = 200


def figure(width: float, height: float) -> "Figure":
    try:
        from matplotlib.figure import Figure
    except ImportError:
        raise missing_extra("report", "matplotlib", "drawing the report's figures") from None
    return Figure(figsize=(width, height), layout="constrained")


def png(drawn: "Figure", path: str) -> bytes:
    """The figure as PNG, also written to path."""
    buffer = io.BytesIO()
    drawn.savefig(buffer, format="png", dpi=FIGURE_DPI)
    data = buffer.getvalue()
    with open(path, "wb") as f:
        f.write(data)
    return data


def img(data: bytes, alt: str, file: str, css: str = "") -> str:
    """The figure embedded, linked to its full-size file (beside index.html in figures/)."""
    image = (f'<img{f" class={css}" if css else ""} alt="{html.escape(alt)}" '
             f'src="data:image/png;base64,{base64.b64encode(data).decode()}">')
    return f'<a href="figures/{html.escape(file)}">{image}</a>'
