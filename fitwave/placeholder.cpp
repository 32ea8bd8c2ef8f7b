// Temporary: replaced by the stages of a run.
