// Placeholder source for a library whose folder holds no code yet.
