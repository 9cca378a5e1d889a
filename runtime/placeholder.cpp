// Placeholder until the first real source lands here; delete it then.
