graph [
  directed
]
