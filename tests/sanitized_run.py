"""Whether the suite runs against the sanitized build (tools/sanitize/run_tests.sh
names its interpreter wrapper in MIVORA_SANITIZED_PYTHON): there every Python
object and every C++ call costs many times more, and freed memory is held."""
import os

SANITIZED = "MIVORA_SANITIZED_PYTHON" in os.environ
