file(REMOVE_RECURSE
  "libhourwise_ledger.a"
)
