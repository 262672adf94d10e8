// Rectangle clipping: being written.
