# Benchmarks of the window plumbing (Windows only).
